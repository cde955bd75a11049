// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The bytes on their way to the terminal, gathered in one fixed buffer so a
// whole frame goes out with one write.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

struct Output_Bytes {
    static constexpr size_t Capacity = size_t{32} * 1024;
    std::array<uint8_t, Capacity> data;
    size_t length = 0;
};

// Sends what the buffer holds and empties it.
using Drain_Function = void (*)(Output_Bytes& out);

inline size_t Room_Left(const Output_Bytes& out) { return Output_Bytes::Capacity - out.length; }

// Appends all of the text or, when it does not fit, none of it: a cut escape
// sequence or character must never reach the terminal.
void Append(Output_Bytes& out, std::string_view text);

// The escape sequences the renderer uses; coordinates are zero-based here and
// one-based on the wire.
void Append_Cursor_To(Output_Bytes& out, int row, int column);  // CUP
void Append_Column_To(Output_Bytes& out, int column);           // CHA
void Append_Cursor_Right(Output_Bytes& out, int count);         // CUF
void Append_Cursor_Left(Output_Bytes& out, int count);          // CUB

inline constexpr std::string_view Clear_Screen = "\x1b[H\x1b[2J";

}  // namespace platform
