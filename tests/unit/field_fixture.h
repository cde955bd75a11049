// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Shared ground for the walking and chase tests: a field on the scripted
// console with the walls a case asks for, the hero and the pawn placed and
// drawn, and the whole screen compared against what should be shown.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/records.h"
#include "field/field_map.h"
#include "platform/scripted/scripted.h"
#include "shell/console.h"

namespace field_test {

// Ｐ in code page 932: two bytes that differ from the hero's ●.
inline constexpr std::string_view Pawn_Glyph = "\x82\x6F";
inline constexpr int32_t Wall = '#';
inline constexpr int32_t Line_Feed_Cell = '\n';

struct Spot {
    uint16_t x;
    uint16_t y;
};

struct Wall_Cell {
    int x;
    int y;
    int32_t value = Wall;
};

struct Drawn {
    Spot at;
    std::string_view glyph;
};

inline Monster_Status_Info& Pawn_Record() { return monsters[Pawn]; }

// A blank screen, a field open everywhere except the given cells (drawn), and
// both characters placed and drawn, the pawn last.
inline void Set_Field(const std::vector<Wall_Cell>& walls, Spot hero_at, Spot pawn_at) {
    scripted::Reset();
    Field_Map = {};
    for (const Wall_Cell& wall : walls) Field_Map.at(wall.y).at(wall.x) = wall.value;
    Draw_Field_Map();
    hero = {};
    monsters = {};
    Monster_Status_Info& pawn = Pawn_Record();
    pawn.glyph = {Pawn_Glyph[0], Pawn_Glyph[1], '\0', '\0'};
    hero.x = hero_at.x;
    hero.y = hero_at.y;
    pawn.x = pawn_at.x;
    pawn.y = pawn_at.y;
    Draw_At(hero.x, hero.y, Hero_Glyph);
    Draw_At(pawn.x, pawn.y, Pawn_Glyph);
}

// Every row of the screen model, trailing blanks removed.
inline std::vector<std::string> Screen_Rows() {
    std::vector<std::string> rows;
    for (int y = 0; y < platform::Screen_Model::Rows; ++y) rows.push_back(scripted::Row(y));
    return rows;
}

// The screen a test expects: the drawn walls (a line-feed cell shows
// nothing), then the glyphs in the order given.
inline std::vector<std::string> Expected_Rows(const std::vector<Wall_Cell>& walls,
                                              const std::vector<Drawn>& drawn) {
    constexpr int columns = platform::Screen_Model::Columns;
    constexpr int rows_shown = platform::Screen_Model::Rows;
    std::vector<std::string> rows(rows_shown, std::string(columns, ' '));
    for (const Wall_Cell& wall : walls) {
        if (wall.value != Line_Feed_Cell) rows.at(wall.y).at(wall.x) = static_cast<char>(wall.value);
    }
    for (const Drawn& d : drawn) {
        for (size_t i = 0; i < d.glyph.size(); ++i) {
            const size_t x = d.at.x + i;
            if (d.at.y < rows_shown && x < columns) rows[d.at.y][x] = d.glyph[i];
        }
    }
    for (std::string& row : rows) row.erase(row.find_last_not_of(' ') + 1);
    return rows;
}

// Parks the cursor away from the field, so that any later draw also shows as
// a moved cursor even where it rewrote the bytes already there.
inline void Park_Cursor() { Place_Cursor(100, 50); }

inline bool Nothing_Drawn_Since(const platform::Screen_Model& before) {
    const platform::Screen_Model& now = scripted::Screen();
    return now.cells == before.cells && now.x == before.x && now.y == before.y;
}

}  // namespace field_test
