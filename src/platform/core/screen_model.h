// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The screen as the Windows console holds it: a grid of code page 932 bytes,
// one per cell, and a cursor. Every back end writes into this model first, so
// the game looks and behaves the same whatever shows it.

#include <array>
#include <cstdint>
#include <string_view>

namespace platform {

struct Screen_Model {
    static constexpr int Columns = 160;
    static constexpr int Rows = 60;
    static constexpr uint8_t Blank = ' ';

    std::array<std::array<uint8_t, Columns>, Rows> cells;
    std::array<bool, Rows> dirty_rows;  // changed since the renderer last drew them
    int x = 0;
    int y = 0;
};

void Model_Clear(Screen_Model& model);

// A placement off the model (a negative coordinate, or past its size) is kept:
// the writes after it are dropped until the next placement.
void Model_Place(Screen_Model& model, int x, int y);

// One byte at the cursor, which moves one column right. A line feed instead
// moves the cursor to column 0 of the next row. Nothing wraps or scrolls.
void Model_Put(Screen_Model& model, uint8_t byte);

// The text and then a line feed, as puts writes them.
void Model_Put_Line(Screen_Model& model, std::string_view text);

inline bool Model_Contains(int x, int y) {
    return x >= 0 && x < Screen_Model::Columns && y >= 0 && y < Screen_Model::Rows;
}

}  // namespace platform
