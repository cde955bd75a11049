// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The terminal's encoding, read from the locale once at start-up, and the
// conversion of every code page 932 character into it.

#include "platform/core/cp932_glyphs.h"
#include "platform/core/key_decoder.h"

namespace posix_terminal {

// Fills the table through iconv from the locale's character set: UTF-8 for
// the C and POSIX locales (plain ASCII) and UTF-8 locales, otherwise the
// locale's own set (Shift-JIS, EUC-JP, Latin-1, ...), where a character it
// cannot show becomes a placeholder per column. Returns how the terminal's
// keyboard input is encoded.
platform::Input_Encoding Load_Glyphs(platform::Glyph_Table& table);

// The same for a character set named as nl_langinfo(CODESET) names it.
platform::Input_Encoding Load_Glyphs_For(const char* code_set, platform::Glyph_Table& table);

}  // namespace posix_terminal
