// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "shell/console.h"

platform::Output_Handle stdout_handle{};
platform::Cursor_Coord cursor{};

void Fetch_Output_Handle() { stdout_handle = platform::Get_Output_Handle(); }

void Place_Cursor(uint16_t x, uint16_t y) {
    cursor.X = static_cast<int16_t>(x);
    cursor.Y = static_cast<int16_t>(y);
    platform::Set_Cursor_Position(stdout_handle, cursor);
}

void Draw_At(uint16_t x, uint16_t y, std::string_view text) {
    Place_Cursor(x, y);
    platform::Write_Line(text);
}
