// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/ansi_screen.h"

#include <charconv>

namespace platform {

namespace {

// The longest thing one drawing step appends at a time: a cursor placement,
// or one character (at most 4 bytes) with a placeholder before it.
constexpr size_t Most_Bytes_Per_Step = 32;

struct Writer {
    const Glyph_Table* glyphs = nullptr;
    std::string_view line_end = "\n";
    void (*write)(const uint8_t* bytes, size_t length) = nullptr;
    Output_Bytes out;
};

Writer writer;

void Write_Out() {
    if (writer.out.length > 0 && writer.write != nullptr) writer.write(writer.out.data.data(), writer.out.length);
    writer.out.length = 0;
}

void Make_Room() {
    if (Output_Bytes::Capacity - writer.out.length < Most_Bytes_Per_Step) Write_Out();
}

// "ESC [ first ; second final", appended whole or not at all. A second of -1
// is left out, and so is a first of 1 standing alone.
void Append_Sequence(int first, int second, char final) {
    std::array<char, 32> text{'\x1b', '['};
    char* end = text.data() + 2;
    char* const limit = text.data() + text.size() - 1;
    if (first != 1 || second >= 0) end = std::to_chars(end, limit, first).ptr;
    if (second >= 0) {
        *end++ = ';';
        end = std::to_chars(end, limit, second).ptr;
    }
    *end++ = final;
    Append(writer.out, {text.data(), static_cast<size_t>(end - text.data())});
}

// Coordinates are zero-based here and one-based on the wire: CUP, CHA.
void Cursor_To(int row, int column) { Append_Sequence(row + 1, column == 0 ? -1 : column + 1, 'H'); }
void Column_To(int column) { Append_Sequence(column + 1, -1, 'G'); }

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

}  // namespace

void Append(Output_Bytes& out, std::string_view text) {
    if (text.size() > Output_Bytes::Capacity - out.length) return;
    for (char c : text) out.data[out.length++] = static_cast<uint8_t>(c);
}

void Ansi_Start(const Glyph_Table& glyphs, std::string_view line_end, void (*write)(const uint8_t* bytes, size_t length)) {
    writer.glyphs = &glyphs;
    writer.line_end = line_end;
    writer.write = write;
    writer.out.length = 0;
}

// The shortest way there: along the row when the cursor's row is known,
// relative (CUF, CUB) or by column, whichever is shorter.
void Ansi_Place_Cursor(int row, int column, int from_row, int from_column) {
    Make_Room();
    if (from_row != row) {
        Cursor_To(row, column);
    } else if (from_column < 0) {
        Column_To(column);
    } else {
        const int distance = column - from_column;
        const int relative = distance > 0 ? distance : -distance;
        if (Sequence_Length(relative) >= Sequence_Length(column + 1)) {
            Column_To(column);
        } else {
            Append_Sequence(relative, -1, distance > 0 ? 'C' : 'D');  // CUF, CUB
        }
    }
}

void Ansi_Write_Cells(const Cell_Code* codes, int count) {
    for (int i = 0; i < count; ++i) {
        Make_Room();
        Append(writer.out, Glyph_Of(*writer.glyphs, codes[i]));
    }
}

void Ansi_New_Line() {
    Make_Room();
    Append(writer.out, writer.line_end);
}

void Ansi_Clear() {
    Make_Room();
    Append(writer.out, "\x1b[H\x1b[2J");
}

void Ansi_Send() { Write_Out(); }

}  // namespace platform
