// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "data_check.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

#include "data/status_files.h"
#include "shell/game.h"
#include "status_check.h"
#include "tr.h"
#include "unicode_cp932.h"

namespace {

constexpr size_t Map_Index = 1 + Monster_Count + Skill_Count;

// The files in the order the game opens them, the map last.
std::array<std::string_view, Map_Index + 1> Start_Up_Order() {
    std::array<std::string_view, Map_Index + 1> order{};
    order[0] = Hero_File_Name;
    for (size_t m = 0; m < Monster_Count; ++m) order[1 + m] = Monster_Files[m];
    for (size_t s = 0; s < Skill_Count; ++s) order[1 + Monster_Count + s] = Skill_Files[s];
    // cppcheck-suppress containerOutOfBounds ; the array holds Map_Index + 1 names, the map's last
    order[Map_Index] = Field_Map_File;
    return order;
}

// Why a file could not be opened; asked only after it could not, to say so.
const char* Why_Unopened(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    switch (status.type()) {
        case std::filesystem::file_type::not_found: return Tr("missing");
        case std::filesystem::file_type::directory: return Tr("a directory, not a regular file");
        case std::filesystem::file_type::regular:
        case std::filesystem::file_type::none: return Tr("cannot be read");
        default: return Tr("not a regular file (a FIFO, a device or a socket)");
    }
}

struct Start_Up {
    Check_Result& result;
    bool stopped = false;  // at an earlier file the game could not open

    void Unopened(size_t index) {
        const auto order = Start_Up_Order();
        const std::string_view name = order[index];
        const char* why = Why_Unopened(result.findings.Path(name));
        std::string message = why;
        if (!stopped && index == Map_Index) {
            // TRANSLATORS: %s says why the file could not be opened ("missing").
            message = Fill(Tr("%s: the game ends at once, showing nothing"), {why});
        } else if (!stopped && index + 1 == Map_Index) {
            message = Fill(Tr("%s: the game stops here, shows its missing-file notice and ends after 30 seconds; "
                              "%s is never read"),
                           {why, order[Map_Index]});
        } else if (!stopped) {
            message = Fill(Tr("%s: the game stops here, shows its missing-file notice and ends after 30 seconds; "
                              "the files after it, %s to %s, are never read"),
                           {why, order[index + 1], order[Map_Index]});
        }
        stopped = true;
        result.findings.Add(name, Position{}, Severity::Error, message);
    }
};

// One finding for every file of the folder in UTF-8, since they share one
// cause and one fix: at the first, before what else is told of it.
void Report_Utf8(Findings& findings) {
    const std::vector<Findings::Utf8_File>& files = findings.utf8_files;
    if (files.empty()) return;
    const Findings::Utf8_File& first = files.front();
    std::string message;
    if (files.size() > 1) {
        message = Format(Tr("%ld files of this folder look like UTF-8, this one first, but the game reads code page 932 "
                            "(Shift-JIS): console-rpg-check --fix converts them all, dropping any byte-order mark"),
                         static_cast<long>(files.size()));
    } else if (first.bom) {
        message = Tr("this file looks like UTF-8 and starts with a byte-order mark, but the game reads code page 932 "
                     "(Shift-JIS): console-rpg-check --fix converts it and drops the mark");
    } else {
        message = Tr("this file looks like UTF-8, but the game reads code page 932 (Shift-JIS): console-rpg-check "
                     "--fix converts it");
    }
    const std::string path = findings.Path(first.name);
    const auto place = findings.list.begin() + static_cast<std::ptrdiff_t>(std::min(first.list_at, findings.list.size()));
    Finding finding{path, first.at, Severity::Warning, message, {}, {}, findings.unicode != nullptr};
    findings.list.insert(place, std::move(finding));
}

// A text buffer read from a UTF-8 file, as its author wrote it.
template <size_t N>
void Decode(std::array<char, N>& buffer, const Unicode_To_Cp932& unicode) {
    std::string_view text = Text_Of(buffer);
    if (text.starts_with(Utf8_Bom)) text.remove_prefix(Utf8_Bom.size());
    const std::string decoded = Cp932_From_Utf8(text, unicode).bytes;
    size_t kept = 0;  // whole characters only
    while (kept < decoded.size()) {
        const size_t length = platform::Is_Cp932_Lead(static_cast<uint8_t>(decoded[kept])) ? 2 : 1;
        if (kept + length > N - 1) break;
        kept += length;
    }
    buffer.fill('\0');
    decoded.copy(buffer.data(), kept);
}

void Fill_Shown(Check_Result& result) {
    result.hero_shown = hero;
    result.monsters_shown = monsters;
    result.skills_shown = skills;
    const Findings& findings = result.findings;
    if (findings.unicode == nullptr) return;
    const auto utf8 = [&](std::string_view name) {
        return std::any_of(findings.utf8_files.begin(), findings.utf8_files.end(),
                           [&](const Findings::Utf8_File& file) { return file.name == name; });
    };
    if (utf8(Hero_File_Name)) Decode(result.hero_shown.name, *findings.unicode);
    for (size_t m = 0; m < Monster_Count; ++m) {
        if (!utf8(Monster_Files[m])) continue;
        Decode(result.monsters_shown[m].name, *findings.unicode);
        Decode(result.monsters_shown[m].glyph, *findings.unicode);
    }
    for (size_t s = 0; s < Skill_Count; ++s) {
        if (utf8(Skill_Files[s])) Decode(result.skills_shown[s].name, *findings.unicode);
    }
}

}  // namespace

Check_Result Check_Data(const std::string& folder, const Unicode_To_Cp932* unicode) {
    Check_Result result;
    result.findings.folder = folder;
    result.findings.unicode = unicode;
    hero = {};
    monsters = {};
    skills = {};
    Field_Map = {};
    Start_Up start{result};

    Position hero_start_at;
    result.hero_read = Check_Hero_File(result.findings, hero, hero_start_at);
    if (!result.hero_read) start.Unopened(0);
    bool all_read = result.hero_read;
    for (size_t m = 0; m < Monster_Count; ++m) {
        if (Check_Monster_File(result.findings, Monster_Files[m], monsters[m])) continue;
        start.Unopened(1 + m);
        all_read = false;
    }
    for (size_t s = 0; s < Skill_Count; ++s) {
        if (Check_Skill_File(result.findings, Skill_Files[s], skills[s])) continue;
        start.Unopened(1 + Monster_Count + s);
        all_read = false;
    }
    result.statuses_read = all_read;

    Map_Reading map;
    result.map_read = Check_Map_File(result.findings, map);
    if (result.map_read) {
        Check_Field(result.findings, map, result.hero_read ? &hero : nullptr, hero_start_at, result.walk);
    } else {
        start.Unopened(Map_Index);
    }
    Report_Utf8(result.findings);
    Fill_Shown(result);
    return result;
}
