// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "field/field_map.h"

#include "data/text_reader.h"
#include "platform/platform.h"
#include "shell/console.h"

std::array<std::array<int32_t, Field_Columns>, Field_Rows> Field_Map{};

void Read_Field_Map(Text_File& text) {
    for (auto& row : Field_Map) {
        for (int32_t& cell : row) {
            const int c = Read_Char(text);
            cell = c == ' ' ? 0 : c;
        }
    }
}

void Load_Field_Map(const char* file_name) {
    Text_File text;
    if (!Open_Text_File(text, file_name)) platform::Fatal_Exit();
    Read_Field_Map(text);
    Close_Text_File(text);
}

void Draw_Field_Map() {
    Fetch_Output_Handle();
    for (int i = 0; i < Field_Rows; ++i) {
        for (int j = 0; j < Field_Columns; ++j) {
            Place_Cursor(static_cast<uint16_t>(j), static_cast<uint16_t>(i));
            const int32_t cell = Field_Map[i][j];
            if (cell != 0) platform::Write_Byte(static_cast<uint8_t>(cell));
        }
    }
}
