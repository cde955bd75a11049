// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The whole check of a data folder, in the order the game starts.

#include <string>

#include "field_check.h"
#include "findings.h"

struct Unicode_To_Cp932;  // unicode_cp932.h

struct Check_Result {
    Findings findings;
    bool hero_read = false;
    bool statuses_read = false;  // all twelve status files
    bool map_read = false;
    Field_Walk walk;
    // The records with their names and glyphs as the author wrote them: a
    // file in UTF-8 put into code page 932, where the game's own records hold
    // its bytes read as code page 932. What the rules sheet and the field show.
    Hero_Status_Info hero_shown{};
    std::array<Monster_Status_Info, Monster_Count> monsters_shown{};
    std::array<Skill_Info, Skill_Count> skills_shown{};
};

// Reads the hero, the six monsters, the five skills and the map, each through
// the game's own reader, into the game's own records and grid (hero,
// monsters, skills, Field_Map, where the rules sheet and the drawing find
// them), and checks each file and the field as played. Every file is checked,
// even those the game would never reach. An empty folder is the working
// directory, where the game reads.
// With `unicode`, a folder written in UTF-8 is told of once, and its lines
// and names are quoted as the author wrote them.
Check_Result Check_Data(const std::string& folder, const Unicode_To_Cp932* unicode = nullptr);
