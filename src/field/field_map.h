// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The field: a grid read byte for byte from the map file. A cell holding 0 is
// open; any other value blocks and is drawn as the byte it holds.

#include <array>
#include <cstdint>

inline constexpr int Field_Rows = 19;
inline constexpr int Field_Columns = 54;

// Where the map file ended before the grid was full: blocking, drawn as 0xFF.
inline constexpr int32_t Past_End_Cell = -1;

extern std::array<std::array<int32_t, Field_Columns>, Field_Rows> Field_Map;

struct Text_File;

// Fills the grid from an open map file: exactly one byte per cell, row by row,
// without looking for line ends: a line feed is stored in its cell like any
// other byte (a carriage return before it is dropped, as text mode does).
// Lines of 53 bytes put each line feed in column 53; a line of another length
// shifts every later cell. Every cell after the file's end holds -1. Reads
// nothing more, so that the data checker can see what is left; the caller
// closes the file.
void Read_Field_Map(Text_File& text);

// Opens, reads and closes the map file. Ends the process at once, with nothing
// written, when the file cannot be opened.
void Load_Field_Map(const char* file_name);

// Draws every non-open cell at its own screen cell. Open cells are not written,
// so they keep whatever the screen showed there.
void Draw_Field_Map();
