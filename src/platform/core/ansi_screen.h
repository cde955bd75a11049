// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The drawing operations as a terminal takes them: escape sequences and the
// characters in the terminal's own encoding, gathered in one buffer and sent
// with one write per frame. The POSIX back end draws this way, and so does the
// Windows one when its output is a file or a pipe rather than a console.

#include <string_view>

#include "platform/core/cp932_glyphs.h"
#include "platform/core/screen_operations.h"
#include "platform/core/terminal_bytes.h"

namespace platform {

// Where the bytes go: the table of each character's bytes in the terminal's
// encoding, how a plain line ends ("\r\n" for a terminal, "\n" for a file),
// and what sends the buffer on.
void Ansi_Start(const Glyph_Table& glyphs, std::string_view line_end, Drain_Function drain);

// The operations, with the back end's own way of entering and leaving the
// full screen (a terminal's modes go with it).
Screen_Operations Ansi_Operations(void (*enter_full_screen)(), void (*leave_full_screen)());

// The bytes that enter the full screen (the first frame clears it; cursor
// hidden) and leave it (cleared first, since a terminal without an alternate
// screen, GNU screen as it comes, would keep the field under the shell's
// prompt; cursor shown).
inline constexpr std::string_view Ansi_Enter_Full_Screen = "\x1b[?1049h\x1b[?25l";
inline constexpr std::string_view Ansi_Leave_Full_Screen = "\x1b[H\x1b[2J\x1b[?25h\x1b[?1049l";

}  // namespace platform
