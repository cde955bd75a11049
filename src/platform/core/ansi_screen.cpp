// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/ansi_screen.h"

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

// An escape sequence with up to two decimal parameters (a parameter of 1 is
// left out when it stands alone), built on the stack so that it is appended
// whole or not at all.
struct Sequence {
    std::array<char, 24> text{};
    size_t length = 0;

    void Put(char c) {
        if (length < text.size()) text[length++] = c;
    }
    void Put_Number(int value) {
        std::array<char, 12> digits{};
        size_t count = 0;
        auto rest = static_cast<unsigned>(value < 0 ? 0 : value);
        do {
            digits[count++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest != 0 && count < digits.size());
        while (count > 0) Put(digits[--count]);
    }
};

void Append_Sequence(int first, int second, bool has_second, char final) {
    Sequence sequence;
    sequence.Put('\x1b');
    sequence.Put('[');
    if (first != 1 || has_second) sequence.Put_Number(first);
    if (has_second) {
        sequence.Put(';');
        sequence.Put_Number(second);
    }
    sequence.Put(final);
    Append(writer.out, {sequence.text.data(), sequence.length});
}

// Coordinates are zero-based here and one-based on the wire.
void Cursor_To(int row, int column) {  // CUP
    if (column == 0) {
        Append_Sequence(row + 1, 0, false, 'H');
    } else {
        Append_Sequence(row + 1, column + 1, true, 'H');
    }
}

void Column_To(int column) { Append_Sequence(column + 1, 0, false, 'G'); }  // CHA

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
            Append_Sequence(relative, 0, false, distance > 0 ? 'C' : 'D');
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
