// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The map read into the game's grid (Field_Map) as the game reads it, and the
// field as the hero and the pawn walk it under the game's own step rule.

#include <array>
#include <string>
#include <vector>

#include "data/records.h"
#include "field/field_map.h"
#include "findings.h"

inline constexpr int Field_Cells = Field_Rows * Field_Columns;  // 1026, one byte each

struct Map_Reading {
    int cells_read = 0;  // filled from the file; the cells after them lie past its end
    // Where each cell's byte is in the file; the last entry, where the
    // reading stopped (the end, or the first byte never read).
    std::vector<Position> cell_at;
    // Saved as UTF-8 or with a byte-order mark: what follows from reading it
    // as code page 932 is only counted, in `left_out`.
    bool garbled = false;
    // Full-width spaces or lines one byte short, which --fix mends: what
    // follows from them is counted too.
    bool fixable = false;
    Position garbled_at;  // where the finding on its cause stands
    long left_out = 0;
};

// What an author writing the map in full-width characters most often meets,
// found in its bytes (code page 932) as the game would read them.
struct Map_Causes {
    long full_width_spaces = 0;  // 0x81 0x40: a wall, where open ground was meant
    Position first_space;
    long short_lines = 0;  // of 52 bytes, as 26 full-width characters are
    long first_short_line = 0;
    long last_short_line = 0;
    Position first_short;
    // The 19th line, of 52 or 53 bytes, ends the file with no line end (as
    // some editors save): the cells after it lie past the end.
    bool last_line_unended = false;
    Position last_line_end;
    long ambiguous = 0;  // characters some terminals draw one column wide
    Position first_ambiguous;
    std::string ambiguous_kinds;  // the first few, apart, in code page 932
};
Map_Causes Causes_In(std::string_view map);

// Reads the map into Field_Map and adds what it shows. False, with nothing
// added, when the map cannot be opened.
bool Check_Map_File(Findings& findings, Map_Reading& map);

// The positions (a character's left cell) a character can reach from its
// start, and those it can enter with a step.
struct Reach {
    std::array<std::array<bool, Field_Columns>, Field_Rows> reached{};
    std::array<std::array<bool, Field_Columns>, Field_Rows> entered{};
    int count = 0;
};

Reach Reach_From(uint16_t x, uint16_t y);

struct Field_Walk {
    Reach hero;
    Reach pawn;
};

// The starts, what the hero and the pawn can reach, and the walls they walk
// through. `hero` is null when the hero's file could not be read;
// `hero_start_at` is where its start is written.
void Check_Field(Findings& findings, const Map_Reading& map, const Hero_Status_Info* hero, Position hero_start_at,
                 Field_Walk& walk);

// The field as the game draws it, one code page 932 row of 54 bytes a line:
// the hero and the pawn at their starts, and '.' on every other place the
// hero can reach. A line feed cell shows nothing, a cell past the map's end
// the byte 0xFF. The hero is drawn with `hero_glyph`.
std::vector<std::string> Drawn_Field(const Hero_Status_Info* hero, const Monster_Status_Info& pawn, const Reach& hero_reach,
                                     std::string_view hero_glyph);
