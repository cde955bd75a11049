// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Any bytes as the map file: Load_Field_Map, then Draw_Field_Map on the
// scripted console.
//
// Properties checked on every input:
//  - every cell holds 0 (open), -1 (the file ended first) or a byte 1..255;
//  - the grid is exactly the file read one byte per cell in text mode: a
//    carriage return before a line feed is dropped, a Ctrl+Z byte ends the
//    file, a space is an open cell;
//  - the map file is closed after loading;
//  - drawing puts every blocking cell's byte on its own screen cell (a line
//    feed only moves the cursor) and writes nothing on an open cell.

#include <cstdint>
#include <cstring>
#include <string>

#include "field/field_map.h"
#include "fuzz_support.h"
#include "platform/scripted/scripted.h"

namespace {

std::string map_path;  // in the private directory
constexpr int32_t Untouched = 0x5A5A5A5A;
constexpr int Cell_Count = Field_Rows * Field_Columns;

// The text-mode bytes of the file, as many as the grid takes.
int Plain_Text_Mode(const uint8_t* data, size_t size, std::array<int32_t, Cell_Count>& chars) {
    int count = 0;
    size_t i = 0;
    while (i < size && count < Cell_Count && data[i] != 0x1A) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
        chars[static_cast<size_t>(count++)] = data[i++];
    }
    return count;
}

void Check_Grid(const uint8_t* data, size_t size) {
    std::array<int32_t, Cell_Count> chars{};
    const int count = Plain_Text_Mode(data, size, chars);
    for (int k = 0; k < Cell_Count; ++k) {
        const int32_t cell = Field_Map[static_cast<size_t>(k / Field_Columns)][static_cast<size_t>(k % Field_Columns)];
        fuzz::Check(cell == 0 || cell == Past_End_Cell || (cell >= 1 && cell <= 255), "a cell holds 0, -1 or 1..255");
        int32_t expected = Past_End_Cell;
        if (k < count) expected = chars[static_cast<size_t>(k)] == ' ' ? 0 : chars[static_cast<size_t>(k)];
        fuzz::Check(cell == expected, "a cell holds the file's byte for it in text mode");
    }
}

void Check_Drawing() {
    scripted::Reset();
    Draw_Field_Map();
    const platform::Screen_Model& screen = scripted::Screen();
    for (int i = 0; i < Field_Rows; ++i) {
        for (int j = 0; j < Field_Columns; ++j) {
            const int32_t cell = Field_Map[static_cast<size_t>(i)][static_cast<size_t>(j)];
            const bool drawn = cell != 0 && cell != '\n';
            const uint8_t expected = drawn ? static_cast<uint8_t>(cell) : platform::Screen_Model::Blank;
            fuzz::Check(screen.cells[static_cast<size_t>(i)][static_cast<size_t>(j)] == expected,
                        "a blocking cell is drawn as its byte on its own screen cell, an open one not at all");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Make_Private_Work_Dir();
    map_path = fuzz::In_Work_Dir("test.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Write_Input_File(map_path, data, size);
    for (auto& row : Field_Map) row.fill(Untouched);
    const int descriptors = fuzz::Lowest_Free_Descriptor();
    Load_Field_Map(map_path.c_str());
    fuzz::Check(fuzz::Lowest_Free_Descriptor() == descriptors, "the map file is closed after loading");
    Check_Grid(data, size);
    Check_Drawing();
    return 0;
}
