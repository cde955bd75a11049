// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// How code page 932 bytes look on a terminal: each byte or byte pair the game
// can write, converted once at start-up into the terminal's own encoding, and
// the reading of a screen row into characters of one or two columns.
//
// A row is read left to right, the way the Windows console shows it: a lead
// byte followed by a trail byte is one double-byte character over two columns,
// whichever calls wrote the two bytes. Everything that is not a character (a
// lone lead byte, 0x80, 0xA0, 0xFD to 0xFF, control bytes, a pair with no
// character) shows as one placeholder column per byte, so the columns of the
// field never shift and no byte of the data ever reaches the terminal raw.

#include <array>
#include <cstdint>
#include <string_view>

namespace platform {

constexpr bool Is_Cp932_Lead(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

constexpr bool Is_Cp932_Trail(uint8_t byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Printable ASCII and the half-width katakana: one byte, one column.
constexpr bool Is_Cp932_Single(uint8_t byte) {
    return (byte >= 0x20 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xDF);
}

// What stands in for a byte that is no character. An ASCII question mark is
// one column wide in every terminal and every encoding.
inline constexpr std::string_view Placeholder_Glyph = "?";

// The terminal's bytes for one character: at most 3 in UTF-8 (code page 932
// lies in the Basic Multilingual Plane), 2 in Shift-JIS. Length 0: none.
struct Glyph_Bytes {
    std::array<uint8_t, 4> bytes{};
    uint8_t length = 0;
};

// Converts code page 932 bytes (one character) into the terminal's encoding.
// Returns the number of bytes written to `out`, or -1 when the terminal's
// encoding has no such character.
using Glyph_Converter = int (*)(const uint8_t* in, int in_length, uint8_t* out, int out_capacity);

// What the terminal's character set makes of the bytes 0x80 to 0x9F, which an
// 8-bit terminal reads as control codes (0x9B as CSI, 0x9D as OSC).
enum class Terminal_Charset : uint8_t {
    Utf8,       // only inside characters; C2 80..C2 9F are the C1 controls
    Shift_Jis,  // lead and trail bytes of double-byte characters
    Euc,        // only SS2 and SS3 (0x8E, 0x8F), each starting a character
    Other,      // controls: never sent
};

inline constexpr int Lead_Count = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);  // 60
inline constexpr int Trail_Count = 0xFC - 0x40 + 1;                        // 189

struct Glyph_Table {
    std::array<Glyph_Bytes, 256> singles;
    std::array<std::array<Glyph_Bytes, Trail_Count>, Lead_Count> pairs;
    Terminal_Charset charset = Terminal_Charset::Utf8;  // what the glyphs are in
};

// Converts every single byte and every lead/trail pair once. A conversion
// that fails, or that would put a control byte on a terminal of that
// character set, leaves the entry empty, and the byte or pair is then drawn
// with placeholders, one per column. Without a converter only printable ASCII
// has characters.
void Fill_Glyph_Table(Glyph_Table& table, Glyph_Converter convert, Terminal_Charset charset = Terminal_Charset::Utf8);

// What one terminal column shows, as the renderer compares it:
//   0x0020..0x00DF  a single-byte character, the byte itself
//   0x8140..0xFCFC  the first column of a double-byte character, lead << 8 | trail
//   Cell_Placeholder, Cell_Second_Half (the second column of a double-byte
//   character) and Cell_Unknown (the terminal's content there is not known).
using Cell_Code = uint16_t;
inline constexpr Cell_Code Cell_Placeholder = 0x0000;
inline constexpr Cell_Code Cell_Second_Half = 0xFFFE;
inline constexpr Cell_Code Cell_Unknown = 0xFFFF;
inline constexpr Cell_Code Cell_Blank = 0x0020;

constexpr bool Is_Double_Start(Cell_Code code) { return code >= 0x8140 && code < Cell_Second_Half; }

// Reads `count` bytes of a row into one code per column.
void Layout_Row(const uint8_t* cells, int count, const Glyph_Table& table, Cell_Code* codes);

// The terminal bytes for a single-byte or first-column code.
std::string_view Glyph_Of(const Glyph_Table& table, Cell_Code code);

}  // namespace platform
