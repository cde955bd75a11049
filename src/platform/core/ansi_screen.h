// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The escape-byte writer: the drawing entries of a back end's table
// (core/console.h) as a terminal takes them, escape sequences and the
// characters in the terminal's own encoding, gathered in one buffer and sent
// with one write per frame. The POSIX terminal and the web page draw this way,
// and so does the Windows console when its output is a file or a pipe. A back
// end starts it once and points its table's entries at the functions here;
// entering and leaving the full screen stay the back end's own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/core/cp932_glyphs.h"

namespace platform {

// Where the bytes go: the table of each character's bytes in the terminal's
// encoding, how a plain line ends ("\r\n" for a terminal, "\n" for a file),
// and what writes the bytes out.
void Ansi_Start(const Glyph_Table& glyphs, std::string_view line_end, void (*write)(const uint8_t* bytes, size_t length));

// The drawing entries of a back end's table.
void Ansi_Place_Cursor(int row, int column, int from_row, int from_column);
void Ansi_Write_Cells(const Cell_Code* codes, int count);
void Ansi_New_Line();
void Ansi_Clear();
void Ansi_Send();

// The bytes that enter the full screen (the first frame clears it; cursor
// hidden) and leave it (cleared first, since a terminal without an alternate
// screen, GNU screen as it comes, would keep the field under the shell's
// prompt; cursor shown).
inline constexpr std::string_view Ansi_Enter_Full_Screen = "\x1b[?1049h\x1b[?25l";
inline constexpr std::string_view Ansi_Leave_Full_Screen = "\x1b[H\x1b[2J\x1b[?25h\x1b[?1049l";

// The buffer the bytes gather in, so a whole frame goes out with one write.
struct Output_Bytes {
    static constexpr size_t Capacity = size_t{32} * 1024;
    std::array<uint8_t, Capacity> data;
    size_t length = 0;
};

// Appends all of the text or, when it does not fit, none of it: a cut escape
// sequence or character must never reach the terminal.
void Append(Output_Bytes& out, std::string_view text);

}  // namespace platform
