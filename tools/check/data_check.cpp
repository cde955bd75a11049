// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "data_check.h"

#include <array>
#include <filesystem>
#include <string_view>

#include "data/status_files.h"
#include "shell/game.h"
#include "status_check.h"
#include "tr.h"

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

}  // namespace

Check_Result Check_Data(const std::string& folder) {
    Check_Result result;
    result.findings.folder = folder;
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
    return result;
}
