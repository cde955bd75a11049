// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Code page 932 text as the checker handles it. Every message is built in
// code page 932, from plain ASCII and the data's own names and glyphs, and
// turned into the terminal's character set only when it is printed.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/cp932_glyphs.h"

// A block of double-byte pairs: every lead byte from lead_first to lead_last
// with every trail byte from trail_first to trail_last. Tables of them say
// which pairs are characters, and which are of ambiguous width.
struct Pair_Run {
    uint8_t lead_first, lead_last, trail_first, trail_last;
};

// Whether the pair is a lead byte and a trail byte within one of the runs.
template <size_t N>
constexpr bool In_Runs(const Pair_Run (&runs)[N], uint8_t lead, uint8_t trail) {
    if (!platform::Is_Cp932_Trail(trail)) return false;  // 0x7F is never a trail byte
    for (const Pair_Run& run : runs) {
        if (lead >= run.lead_first && lead <= run.lead_last && trail >= run.trail_first && trail <= run.trail_last) {
            return true;
        }
    }
    return false;
}

// What is a character of code page 932 and what is not, by the game's own
// reading of a screen row: a glyph table in which every well-formed byte or
// pair has a glyph.
const platform::Glyph_Table& Code_Page_Table();

// The text with each byte that is no character (a control byte, a lone lead
// byte, 0x80, 0xA0, 0xFD to 0xFF) replaced by '?', as the game's screen shows
// it. The result is safe to join with other text.
std::string Made_Safe(std::string_view bytes);

// Made_Safe, cut to at most `limit` columns at a character boundary, with
// "..." when cut, in single quotes: how messages quote the data.
std::string Quoted(std::string_view bytes, size_t limit = 32);

// Where the first byte that is no character lies, or npos.
size_t First_Non_Character(std::string_view bytes);

// The bytes at `at`, which First_Non_Character found: a pair of a lead and
// a trail byte that code page 932 leaves unassigned counts as one, drawn as
// ??; any other such byte stands alone.
size_t Non_Character_Length(std::string_view bytes, size_t at);

// Safe code page 932 text in the character set `output` converts into.
std::string Shown(std::string_view safe_text, const platform::Glyph_Table& output);

// "0x1B"
std::string Hex_Byte(uint8_t byte);

// ---- Paths -------------------------------------------------------------------
// A path is in the user's own bytes, not code page 932: in the locale's
// character set, as it was typed, or in any bytes at all.

// The length of the well-formed UTF-8 character at `i` (no overlong form, no
// surrogate, nothing past U+10FFFF), or 0 when none starts there.
size_t Utf8_Length(std::string_view bytes, size_t i);
bool Is_Utf8(std::string_view bytes);

// The path as a terminal of that character set shows it: each control byte
// (C0, DEL and the C1 controls as that set would read them) and, in UTF-8,
// each byte that is no character shown as '?', so that nothing in a path can
// move the cursor, end a line or change the terminal.
std::string Path_Shown(std::string_view path, platform::Terminal_Charset charset);
