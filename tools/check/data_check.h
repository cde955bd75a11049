// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The whole check of a data folder, in the order the game starts.

#include <string>

#include "field_check.h"
#include "findings.h"

struct Check_Result {
    Findings findings;
    bool hero_read = false;
    bool statuses_read = false;  // all twelve status files
    bool map_read = false;
    Field_Walk walk;
};

// Reads the hero, the six monsters, the five skills and the map, each through
// the game's own reader, into the game's own records and grid (hero,
// monsters, skills, Field_Map, where the rules sheet and the drawing find
// them), and checks each file and the field as played. Every file is checked,
// even those the game would never reach. An empty folder is the working
// directory, where the game reads.
Check_Result Check_Data(const std::string& folder);
