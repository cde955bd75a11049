// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "report.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "cp932_text.h"
#include "json_writer.h"
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
    const long errors = count(Severity::Error), warnings = count(Severity::Warning), notes = count(Severity::Note);
    return Fill(Tr("%s, %s, %s"), {Fill(Tr_Plural("%s error", "%s errors", errors), {std::to_string(errors)}),
                                   Fill(Tr_Plural("%s warning", "%s warnings", warnings), {std::to_string(warnings)}),
                                   Fill(Tr_Plural("%s note", "%s notes", notes), {std::to_string(notes)})});
}

// Where ● is one column wide (xterm without -cjk_width, most terminals
// outside East Asian locales), a row holding it would come out one column
// short. A printed report cannot place its cursor the way the game does, so
// for people the hero is drawn as the full-width ＠, two columns in every
// terminal; tools get the game's own glyph.
constexpr std::string_view Wide_Hero_Glyph = "\x81\x97";  // ＠ in code page 932

std::vector<std::string> Map_Lines(const Check_Result& result, std::string_view hero_glyph) {
    const std::string pawn = Made_Safe(Text_Of(result.monsters_shown[Pawn].glyph));
    std::string legend;
    if (!result.hero_read) {
        legend = Fill(Tr("the field as the game draws it: %s the pawn"), {pawn});
    } else if (hero_glyph == Hero_Glyph) {
        legend = Fill(Tr("the field as the game draws it: %s the hero, %s the pawn, . where the hero can go"),
                      {hero_glyph, pawn});
    } else {
        // TRANSLATORS: the second %s is the hero's glyph in the game, the first the one drawn here instead.
        legend = Fill(Tr("the field as the game draws it: %s the hero (the game draws %s), %s the pawn, "
                         ". where the hero can go"),
                      {hero_glyph, Hero_Glyph, pawn});
    }
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

void Write_Range(Json_Writer& json, const Value_Range& range) {
    json.Open_Object();
    json.Key("lowest");
    json.Number(range.lowest);
    json.Key("highest");
    json.Number(range.highest);
    json.Key("wraps");
    json.Bool(range.wraps);
    json.Key("zero_divisor");
    json.Bool(range.zero_divisor);
    json.Key("beyond_32_bits");
    json.Bool(range.beyond_32_bits);
    json.Close_Object();
}

void Write_Sheet(Json_Writer& json, const Check_Result& result, const platform::Glyph_Table& output) {
    const Rules_Sheet sheet = Sheet_For(hero, monsters, skills);
    // Names as the author wrote them (see Check_Result), in UTF-8.
    const auto name = [&](const auto& buffer) { json.String(Shown(Made_Safe(Text_Of(buffer)), output)); };
    const auto number = [&](const char* key, int64_t value) {
        json.Key(key);
        json.Number(value);
    };
    json.Open_Object();
    json.Key("hero");
    json.Open_Object();
    json.Key("name");
    name(result.hero_shown.name);
    number("level", hero.level);
    number("exp", hero.exp);
    number("hp", hero.hp);
    number("attack", hero.attack);
    number("defense", hero.defense);
    number("stat5", hero.stat5);
    json.Close_Object();
    json.Key("damage");
    json.Open_Array();
    for (const Damage_Row& row : sheet.damage) {
        json.Open_Object();
        json.Key("skill");
        name(result.skills_shown[row.skill].name);
        json.Key("monster");
        name(result.monsters_shown[row.monster].name);
        json.Key("to_monster");
        Write_Range(json, row.to_monster);
        json.Key("to_hero");
        Write_Range(json, row.to_hero);
        json.Close_Object();
    }
    json.Close_Array();
    json.Key("experience");
    json.Open_Array();
    for (size_t m = 0; m < Monster_Count; ++m) {
        json.Open_Object();
        json.Key("monster");
        name(result.monsters_shown[m].name);
        json.Key("gain");
        Write_Range(json, sheet.experience[m]);
        json.Close_Object();
    }
    json.Close_Array();
    json.Key("rating");
    json.Open_Object();
    number("computed", sheet.rating);
    number("in_file", hero.rating);
    json.Close_Object();
    json.Key("growth");
    json.Open_Array();
    for (const Growth_Row& row : sheet.growth) {
        if (!sheet.grows) break;
        json.Open_Object();
        json.Key("stat");
        json.String(row.stat);
        number("now", row.now);
        json.Key("after");
        Write_Range(json, row.after);
        json.Close_Object();
    }
    json.Close_Array();
    json.Key("heal");
    json.Open_Object();
    number("from_0", sheet.first_heal);
    number("heals_to_full", sheet.heals_to_full);
    json.Close_Object();
    json.Key("boosts");
    json.Open_Object();
    for (const auto& [stat, base, raised] : {std::tuple{"attack", hero.attack, sheet.attack_raised},
                                             std::tuple{"defense", hero.defense, sheet.defense_raised}}) {
        json.Key(stat);
        json.Open_Object();
        number("base", base);
        number("raised", raised);
        json.Close_Object();
    }
    json.Close_Object();
    json.Close_Object();
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
        line(Tr("no rules sheet: not every status file could be read"));
    }
    if (!with_map) return text;
    line("");
    if (!result.map_read) {
        line(Tr("no field to draw: the map could not be read"));
        return text;
    }
    for (const std::string& map_line : Map_Lines(result, Wide_Hero_Glyph)) line(map_line);
    return text;
}

std::string Json_Report(const Check_Result& result, const std::vector<std::string>& translated,
                        const platform::Glyph_Table& output, bool with_map) {
    const std::vector<Finding>& findings = result.findings.list;
    const std::string& folder = result.findings.folder;
    Json_Writer json;
    json.Open_Object();
    json.Key("directory");
    json.String(folder.empty() ? "." : folder);  // the user's bytes, each that is not UTF-8 made U+FFFD
    json.Key("directory_is_utf8");
    json.Bool(Is_Utf8(folder));
    json.Key("exit_status");
    json.Number(Exit_Status(findings));
    json.Key("findings");
    json.Open_Array();
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        std::string also;
        if (!f.also_file.empty()) {
            also = " (" + f.also_file + ":" + std::to_string(f.also_at.line) + ":" + std::to_string(f.also_at.column) + ")";
        }
        const std::string message = Shown(f.message, output) + also;
        json.Open_Object();
        json.Key("file");
        json.String(f.file);
        json.Key("line");
        json.Number(f.at.line);
        json.Key("column");
        json.Number(f.at.column);
        json.Key("severity");
        json.String(Severity_Name(f.severity));
        json.Key("message");
        json.String(message);
        json.Key("localized_message");
        json.String(i < translated.size() ? Shown(translated[i], output) + also : message);
        json.Close_Object();
    }
    json.Close_Array();
    json.Key("sheet");
    if (result.statuses_read) {
        Write_Sheet(json, result, output);
    } else {
        json.Null();
    }
    if (with_map) {
        std::vector<std::string> rows;
        if (result.map_read) rows = Map_Lines(result, Hero_Glyph);
        if (!rows.empty()) rows.erase(rows.begin());  // the legend is for people
        json.Key("map");
        json.Open_Array();
        for (const std::string& row : rows) json.String(Shown(row, output));
        json.Close_Array();
    }
    json.Close_Object();
    return json.text;
}
