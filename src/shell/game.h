// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Start-up, the field loop and the missing-file notice.

#include "data/records.h"

// Loads the status files (showing the notice when one is missing), seeds the
// random numbers, draws the field, the hero and the pawn.
void Start_Game();

// One pass of the field loop: serve a key, chase when near, pause 10 ms.
void Run_Field_Pass();

// Start-up, then field passes until the process is ended from outside.
[[noreturn]] void Run_Game();

// The four-line notice, then the process ends with status -1 after 30 s.
[[noreturn]] void Show_Missing_File_Screen();

// True when the hero is closer than 18 columns and 9 rows to the monster.
bool Is_Near(const Hero_Status_Info& who, const Monster_Status_Info& monster);

inline constexpr const char* Field_Map_File = "test.txt";
inline constexpr uint16_t Pawn_Start_X = 8;
inline constexpr uint16_t Pawn_Start_Y = 3;
