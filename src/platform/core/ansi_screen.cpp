// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/ansi_screen.h"

namespace platform {

namespace {

// The longest thing one operation appends at a time: a cursor placement, or
// one character (at most 4 bytes) with a placeholder before it.
constexpr size_t Most_Bytes_Per_Step = 32;

struct Ansi_State {
    const Glyph_Table* glyphs = nullptr;
    std::string_view line_end = "\n";
    Drain_Function drain = nullptr;
    Output_Bytes out;
};

Ansi_State ansi;

void Make_Room() {
    if (Room_Left(ansi.out) < Most_Bytes_Per_Step && ansi.drain != nullptr) ansi.drain(ansi.out);
}

int Digit_Count(int value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// Length of "ESC [ n X", where n = 1 is left out.
int Sequence_Length(int parameter) { return parameter == 1 ? 3 : 3 + Digit_Count(parameter); }

// The shortest way there: along the row when the cursor's row is known,
// relative or by column, whichever is shorter.
void Place_Cursor(int row, int column, int from_row, int from_column) {
    Make_Room();
    if (from_row != row) {
        Append_Cursor_To(ansi.out, row, column);
    } else if (from_column < 0) {
        Append_Column_To(ansi.out, column);
    } else {
        const int distance = column - from_column;
        const int relative = distance > 0 ? distance : -distance;
        if (Sequence_Length(relative) >= Sequence_Length(column + 1)) {
            Append_Column_To(ansi.out, column);
        } else if (distance > 0) {
            Append_Cursor_Right(ansi.out, relative);
        } else {
            Append_Cursor_Left(ansi.out, relative);
        }
    }
}

void Write_Cells(const Cell_Code* codes, int count) {
    for (int i = 0; i < count; ++i) {
        Make_Room();
        Append(ansi.out, Glyph_Of(*ansi.glyphs, codes[i]));
    }
}

void New_Line() {
    Make_Room();
    Append(ansi.out, ansi.line_end);
}

void Clear() {
    Make_Room();
    Append(ansi.out, Clear_Screen);
}

void Send() {
    if (ansi.out.length > 0 && ansi.drain != nullptr) ansi.drain(ansi.out);
}

}  // namespace

void Ansi_Start(const Glyph_Table& glyphs, std::string_view line_end, Drain_Function drain) {
    ansi.glyphs = &glyphs;
    ansi.line_end = line_end;
    ansi.drain = drain;
    ansi.out.length = 0;
}

Screen_Operations Ansi_Operations(void (*enter_full_screen)(), void (*leave_full_screen)()) {
    return {Place_Cursor, Write_Cells, New_Line, Clear, enter_full_screen, leave_full_screen, Send};
}

}  // namespace platform
