// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "data_check.h"

#include <array>
#include <filesystem>
#include <string_view>

#include "data/status_files.h"
#include "shell/game.h"
#include "status_check.h"

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
std::string Why_Unopened(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    switch (status.type()) {
        case std::filesystem::file_type::not_found: return "missing";
        case std::filesystem::file_type::directory: return "a directory, not a regular file";
        case std::filesystem::file_type::regular:
        case std::filesystem::file_type::none: return "cannot be read";
        default: return "not a regular file (a FIFO, a device or a socket)";
    }
}

struct Start_Up {
    Check_Result& result;
    bool stopped = false;  // at an earlier file the game could not open

    void Unopened(size_t index) {
        const auto order = Start_Up_Order();
        const std::string_view name = order[index];
        std::string message = Why_Unopened(result.findings.Path(name));
        if (!stopped && index == Map_Index) {
            message += ": the game ends at once, showing nothing";
        } else if (!stopped) {
            message += ": the game stops here, shows its missing-file notice and ends after 30 seconds; ";
            message += index + 1 == Map_Index ? std::string(order[Map_Index]) + " is never read"
                                              : "the files after it, " + std::string(order[index + 1]) + " to " +
                                                    std::string(order[Map_Index]) + ", are never read";
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
