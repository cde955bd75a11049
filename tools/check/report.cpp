// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "report.h"

#include <algorithm>
#include <vector>

#include "cp932_text.h"
#include "data/records.h"
#include "rules_sheet.h"
#include "shell/console.h"
#include "tr.h"

namespace {

std::string Summary(const std::vector<Finding>& findings) {
    const auto count = [&](Severity severity) {
        return static_cast<long>(std::count_if(findings.begin(), findings.end(),
                                               [&](const Finding& f) { return f.severity == severity; }));
    };
    return Count_Of(count(Severity::Error), "error") + ", " + Count_Of(count(Severity::Warning), "warning") + ", " +
           Count_Of(count(Severity::Note), "note");
}

// Where ● is one column wide (xterm without -cjk_width, most terminals
// outside East Asian locales), a row holding it would come out one column
// short. A printed report cannot place its cursor the way the game does, so
// for people the hero is drawn as the full-width ＠, two columns in every
// terminal; tools get the game's own glyph.
constexpr std::string_view Wide_Hero_Glyph = "\x81\x97";  // ＠ in code page 932

std::vector<std::string> Map_Lines(const Check_Result& result, std::string_view hero_glyph) {
    std::string legend = "the field as the game draws it: ";
    if (result.hero_read) {
        legend += std::string(hero_glyph) + " the hero" +
                  (hero_glyph == Hero_Glyph ? "" : " (the game draws " + std::string(Hero_Glyph) + ")") + ", ";
    }
    legend += Made_Safe(Text_Of(result.monsters_shown[Pawn].glyph)) + " the pawn";
    if (result.hero_read) legend += ", . where the hero can go";
    std::vector<std::string> lines = {legend};
    for (const std::string& row :
         Drawn_Field(result.hero_read ? &hero : nullptr, result.monsters_shown[Pawn], result.walk.hero, hero_glyph)) {
        lines.push_back(row);
    }
    return lines;
}

// The offending line under an error or a warning, with a caret under its
// column, as compilers show it. Made safe, each byte that is no character
// shows as one '?', so the caret's column holds.
std::string Shown_Excerpt(const Finding& finding, const platform::Glyph_Table& output, const Unicode_To_Cp932* unicode) {
    const Excerpt excerpt = Excerpt_Of(finding.file, finding.at, finding.utf8 ? unicode : nullptr);
    if (excerpt.text.empty()) return {};
    const std::string number = std::to_string(finding.at.line);
    const std::string gutter(number.size() + 1, ' ');
    return " " + number + " | " + Shown(Made_Safe(excerpt.text), output) + "\n" + gutter + " | " +
           std::string(static_cast<size_t>(excerpt.caret), ' ') + "^\n";
}

// ---- JSON --------------------------------------------------------------------

// A file name as the user gave it, in UTF-8 (see Json_Path_Text).
std::string Json_Path(std::string_view path) { return "\"" + Json_Path_Text(path) + "\""; }

// Code page 932 text from the data, in the terminal's character set.
std::string Json_Text(std::string_view safe, const platform::Glyph_Table& output) {
    return "\"" + Shown(safe, output, true) + "\"";
}

std::string Json_Range(const Value_Range& range) {
    const auto flag = [](bool on) { return on ? "true" : "false"; };
    return "{\"lowest\": " + std::to_string(range.lowest) + ", \"highest\": " + std::to_string(range.highest) +
           ", \"wraps\": " + flag(range.wraps) + ", \"zero_divisor\": " + flag(range.zero_divisor) +
           ", \"beyond_32_bits\": " + flag(range.beyond_32_bits) + "}";
}

template <typename Item, typename Write>
std::string Json_List(const Item& items, Write write) {
    std::string json = "[";
    bool first = true;
    for (const auto& item : items) {
        json += (first ? "\n    " : ",\n    ") + write(item);
        first = false;
    }
    return json + (first ? "]" : "\n  ]");
}

std::string Json_Sheet(const platform::Glyph_Table& output) {
    const Rules_Sheet sheet = Sheet_For(hero, monsters, skills);
    const auto name = [&](const auto& buffer) { return Json_Text(Made_Safe(Text_Of(buffer)), output); };
    std::string out = "{\n  \"hero\": {\"name\": " + name(hero.name) + ", \"level\": " + std::to_string(hero.level) +
                      ", \"exp\": " + std::to_string(hero.exp) + ", \"hp\": " + std::to_string(hero.hp) +
                      ", \"attack\": " + std::to_string(hero.attack) + ", \"defense\": " + std::to_string(hero.defense) +
                      ", \"stat5\": " + std::to_string(hero.stat5) + "},\n";
    out += "  \"damage\": " + Json_List(sheet.damage, [&](const Damage_Row& row) {
        return "{\"skill\": " + name(skills[row.skill].name) + ", \"monster\": " + name(monsters[row.monster].name) +
               ", \"to_monster\": " + Json_Range(row.to_monster) + ", \"to_hero\": " + Json_Range(row.to_hero) + "}";
    }) + ",\n";
    std::vector<size_t> indexes(Monster_Count);
    for (size_t m = 0; m < Monster_Count; ++m) indexes[m] = m;
    out += "  \"experience\": " + Json_List(indexes, [&](size_t m) {
        return "{\"monster\": " + name(monsters[m].name) + ", \"gain\": " + Json_Range(sheet.experience[m]) + "}";
    }) + ",\n";
    out += "  \"rating\": {\"computed\": " + std::to_string(sheet.rating) + ", \"in_file\": " +
           std::to_string(hero.rating) + "},\n";
    const std::vector<Growth_Row> growth = sheet.grows ? std::vector<Growth_Row>(sheet.growth.begin(), sheet.growth.end())
                                                       : std::vector<Growth_Row>{};
    out += "  \"growth\": " + Json_List(growth, [&](const Growth_Row& row) {
        return "{\"stat\": \"" + std::string(row.stat) + "\", \"now\": " + std::to_string(row.now) +
               ", \"after\": " + Json_Range(row.after) + "}";
    }) + ",\n";
    out += "  \"heal\": {\"from_0\": " + std::to_string(sheet.first_heal) +
           ", \"heals_to_full\": " + std::to_string(sheet.heals_to_full) + "},\n";
    out += "  \"boosts\": {\"attack\": {\"base\": " + std::to_string(hero.attack) + ", \"raised\": " +
           std::to_string(sheet.attack_raised) + "}, \"defense\": {\"base\": " + std::to_string(hero.defense) +
           ", \"raised\": " + std::to_string(sheet.defense_raised) + "}}\n}";
    return out;
}

// Each finding as FILE:LINE:COLUMN: severity: message, with the offending
// line under an error or a warning.
std::string Findings_Text(const Findings& findings, const platform::Glyph_Table& output) {
    std::string text;
    const auto place = [&](const std::string& file, Position at) {
        return Path_Shown(file, output.charset) + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
    };
    for (const Finding& f : findings.list) {
        text += place(f.file, f.at) + ": " + Severity_Name(f.severity) + ": " + Shown(f.message, output);
        if (!f.also_file.empty()) text += " (" + place(f.also_file, f.also_at) + ")";
        text += "\n";
        if (f.severity != Severity::Note) text += Shown_Excerpt(f, output, findings.unicode);
    }
    return text;
}

// A message whose one %s is a path: the path in the user's own bytes, the
// rest code page 932, each shown as it must be.
std::string With_Path(const char* message, const std::string& path, const platform::Glyph_Table& output) {
    const std::string_view text = message;
    const size_t at = text.find("%s");
    if (at == std::string_view::npos) return Shown(text, output);
    return Shown(text.substr(0, at), output) + Path_Shown(path, output.charset) + Shown(text.substr(at + 2), output);
}

}  // namespace

std::string Fix_Report(const Fix_Result& fix, const platform::Glyph_Table& output, bool dry_run) {
    std::string text = Shown(dry_run ? Tr("--fix --dry-run: what --fix would change, file by file; nothing is written")
                                     : Tr("--fix: what it changed, file by file"),
                             output) +
                       "\n";
    text += Findings_Text(fix.told, output);
    std::string last;
    if (fix.failed) {
        last = fix.originals_in.empty() ? Shown(Tr("no file was written"), output)
                                        : With_Path(Tr("the originals are kept in %s"), fix.originals_in, output);
    } else if (fix.files_changed == 0) {
        last = Shown(Tr("nothing to change: the files are as the game reads them"), output);
    } else if (dry_run) {
        last = Shown(Format(Tr("files --fix would change: %ld"), fix.files_changed), output);
    } else {
        last = With_Path(Format(Tr("files changed: %ld; the originals are kept in %%s"), fix.files_changed).c_str(),
                         fix.originals_in, output);
    }
    return text + last + "\n";
}

std::string Text_Report(const Check_Result& result, const platform::Glyph_Table& output, bool with_map) {
    std::string text = Findings_Text(result.findings, output);
    const auto line = [&](std::string_view safe) { text += Shown(safe, output) + "\n"; };
    line(Summary(result.findings.list));
    line("");
    if (result.statuses_read) {
        for (const std::string& sheet_line : Sheet_Lines(Sheet_For(hero, monsters, skills), result.hero_shown, result.monsters_shown,
                                                          result.skills_shown)) {
            line(sheet_line);
        }
    } else {
        line("no rules sheet: not every status file could be read");
    }
    if (!with_map) return text;
    line("");
    if (!result.map_read) {
        line("no field to draw: the map could not be read");
        return text;
    }
    for (const std::string& map_line : Map_Lines(result, Wide_Hero_Glyph)) line(map_line);
    return text;
}

std::string Json_Report(const Check_Result& result, const platform::Glyph_Table& output, bool with_map) {
    const std::vector<Finding>& findings = result.findings.list;
    const std::string& folder = result.findings.folder;
    std::string out = "{\n\"directory\": " + Json_Path(folder.empty() ? "." : folder) +
                      ",\n\"directory_is_utf8\": " + (Is_Utf8(folder) ? "true" : "false") +
                      ",\n\"exit_status\": " + std::to_string(Exit_Status(findings)) + ",\n\"findings\": ";
    out += Json_List(findings, [&](const Finding& f) {
        std::string message = Shown(f.message, output, true);
        if (!f.also_file.empty()) {
            message += " (" + Json_Path_Text(f.also_file) + ":" + std::to_string(f.also_at.line) + ":" +
                       std::to_string(f.also_at.column) + ")";
        }
        return "{\"file\": " + Json_Path(f.file) + ", \"line\": " + std::to_string(f.at.line) +
               ", \"column\": " + std::to_string(f.at.column) + ", \"severity\": \"" + Severity_Name(f.severity) +
               "\", \"message\": \"" + message + "\"}";
    });
    out += ",\n\"sheet\": " + (result.statuses_read ? Json_Sheet(output) : std::string("null"));
    if (with_map) {
        std::vector<std::string> rows;
        if (result.map_read) rows = Map_Lines(result, Hero_Glyph);
        if (!rows.empty()) rows.erase(rows.begin());  // the legend is for people
        out += ",\n\"map\": " + Json_List(rows, [&](const std::string& row) { return Json_Text(row, output); });
    }
    return out + "\n}\n";
}
