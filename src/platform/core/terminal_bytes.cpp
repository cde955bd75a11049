// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/terminal_bytes.h"

namespace platform {

namespace {

// An escape sequence with up to two decimal parameters, built on the stack so
// that it is appended whole or not at all.
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
    std::string_view View() const { return {text.data(), length}; }
};

void Append_Sequence(Output_Bytes& out, int first, int second, bool has_second, char final) {
    Sequence sequence;
    sequence.Put('\x1b');
    sequence.Put('[');
    if (first != 1 || has_second) sequence.Put_Number(first);
    if (has_second) {
        sequence.Put(';');
        sequence.Put_Number(second);
    }
    sequence.Put(final);
    Append(out, sequence.View());
}

}  // namespace

void Append(Output_Bytes& out, std::string_view text) {
    if (text.size() > Room_Left(out)) return;
    for (char c : text) out.data[out.length++] = static_cast<uint8_t>(c);
}

void Append_Cursor_To(Output_Bytes& out, int row, int column) {
    if (column == 0) {
        Append_Sequence(out, row + 1, 0, false, 'H');
    } else {
        Append_Sequence(out, row + 1, column + 1, true, 'H');
    }
}

void Append_Column_To(Output_Bytes& out, int column) { Append_Sequence(out, column + 1, 0, false, 'G'); }

void Append_Cursor_Right(Output_Bytes& out, int count) { Append_Sequence(out, count, 0, false, 'C'); }

void Append_Cursor_Left(Output_Bytes& out, int count) { Append_Sequence(out, count, 0, false, 'D'); }

}  // namespace platform
