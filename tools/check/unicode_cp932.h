// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Text an author wrote in UTF-8, put into code page 932 as the game reads it,
// and the code page 932 characters whose width differs between terminals.
//
// The way back from Unicode is the game's own way there turned round: the
// glyph table that converts code page 932 into UTF-8 for the terminal (iconv
// on POSIX systems, the system's own conversion on Windows, the browser's in
// the page), so that no build needs a converter of its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/core/cp932_glyphs.h"

struct Unicode_To_Cp932 {
    std::unordered_map<char32_t, uint16_t> pairs;  // code point -> lead << 8 | trail, or a single byte
};

// Built from a table whose glyphs are UTF-8. Where code page 932 has two
// codes for one character, the one Windows writes is kept: the first in code
// order, the NEC-selected IBM rows (leads 0xED, 0xEE) only where no other has it.
Unicode_To_Cp932 Unicode_Table_From(const platform::Glyph_Table& utf8);

// The code point of the well-formed UTF-8 character at `i`, whose length is `length`.
char32_t Code_Point(std::string_view utf8, size_t i, size_t length);

// UTF-8 text in code page 932. Where a character has none, `missing` is its
// offset in `utf8` (else npos) and it is written as '?', one a column it
// would take, so that what follows keeps its columns.
struct Cp932_Text {
    std::string bytes;
    size_t missing = std::string_view::npos;
    size_t missing_length = 0;  // of that character, in UTF-8
};
Cp932_Text Cp932_From_Utf8(std::string_view utf8, const Unicode_To_Cp932& table);

// "U+25A0"
std::string Code_Point_Name(char32_t code);

// East Asian ambiguous width: ■ ● ※ →, Greek, Cyrillic, box drawing and the
// like, two columns in a console with code page 932 but one in many terminals.
bool Is_Ambiguous_Width(uint8_t lead, uint8_t trail);

// Full-width characters two columns wide in every terminal, to name in their
// place: ＃ ＊ ＝ ＠ in code page 932.
inline constexpr const char* Wide_Everywhere = "\x81\x94 \x81\x96 \x81\x81 \x81\x97";
