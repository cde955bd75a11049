// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Loading of the twelve status files into the global records.

#include <array>

#include "data/records.h"

struct Value_Scanner;

// The files in the order the game loads them.
inline constexpr std::array<const char*, Monster_Count> Monster_Files = {
    "Pawn_Status_Info.txt",  "Knight_Status_Info.txt", "Bishop_Status_Info.txt",
    "Rook_Status_Info.txt",  "Queen_Status_Info.txt",  "King_Status_Info.txt",
};

inline constexpr std::array<const char*, Skill_Count> Skill_Files = {
    "SwordCut.txt", "Flame.txt", "BigRevolveSword.txt", "HellFlame.txt", "AbsoluteObedience.txt",
};

// Each returns 0 when its file cannot be opened, else reads it and returns 1.
// A file with too few or malformed values still loads: the fields after the
// first value that does not parse keep what they held.
int Load_Hero_Status();
int Load_Monster_Status(Monster_Status_Info& record, const char* file_name);
int Load_Skill(Skill_Info& record, const char* file_name);

// Load in the fixed order and stop at the first file that cannot be opened;
// the files after it are never opened.
int Load_All_Monsters();
int Load_All_Skills();

// What the loaders read from an open file, field by field. The data checker
// reads through these with a watched scanner and then reads on past the
// record; the loaders open, read and close.
void Read_Hero_Status(Value_Scanner& scan, Hero_Status_Info& record);
void Read_Monster_Status(Value_Scanner& scan, Monster_Status_Info& record);
void Read_Skill(Value_Scanner& scan, Skill_Info& record);
