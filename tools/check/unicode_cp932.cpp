// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "unicode_cp932.h"

#include <array>

#include "cp932_text.h"

namespace {

// Where Japanese text is written on systems other than Windows, these come
// as the JIS characters that code page 932 maps elsewhere: the same
// characters, so they take their code page 932 codes.
constexpr std::array<std::pair<char32_t, uint16_t>, 7> Jis_Forms = {{
    {0x301C, 0x8160},  // WAVE DASH as 〜
    {0x2016, 0x8161},  // DOUBLE VERTICAL LINE as ‖
    {0x2212, 0x817C},  // MINUS SIGN as －
    {0x00A2, 0x8191},  // ¢
    {0x00A3, 0x8192},  // £
    {0x00AC, 0x81CA},  // ¬
    {0x2014, 0x815C},  // EM DASH as ―
}};

bool Is_Nec_Selected_Ibm(uint8_t lead) { return lead == 0xED || lead == 0xEE; }

void Take(Unicode_To_Cp932& table, std::string_view glyph, uint16_t code) {
    const size_t length = Utf8_Length(glyph, 0);
    if (length == 0 || length != glyph.size()) return;
    const char32_t point = Code_Point(glyph, 0, length);
    const auto [place, fresh] = table.pairs.try_emplace(point, code);
    if (!fresh && Is_Nec_Selected_Ibm(static_cast<uint8_t>(place->second >> 8)) &&
        !Is_Nec_Selected_Ibm(static_cast<uint8_t>(code >> 8))) {
        place->second = code;
    }
}

// The runs of lead and trail bytes whose characters are of ambiguous width
// (Unicode's EastAsianWidth.txt, class A), the user-defined rows included:
// they convert to private-use code points, which are ambiguous too.
constexpr Pair_Run Ambiguous[] = {
    {0x81, 0x81, 0x4C, 0x4C}, {0x81, 0x81, 0x4E, 0x4E}, {0x81, 0x81, 0x5C, 0x5D}, {0x81, 0x81, 0x61, 0x61},
    {0x81, 0x81, 0x63, 0x68}, {0x81, 0x81, 0x7D, 0x80}, {0x81, 0x81, 0x82, 0x82}, {0x81, 0x81, 0x85, 0x8E},
    {0x81, 0x81, 0x98, 0xA6}, {0x81, 0x81, 0xA8, 0xAB}, {0x81, 0x81, 0xB8, 0xBF}, {0x81, 0x81, 0xC8, 0xC9},
    {0x81, 0x81, 0xCB, 0xCE}, {0x81, 0x81, 0xDA, 0xE8}, {0x81, 0x81, 0xF0, 0xF7}, {0x81, 0x81, 0xFC, 0xFC},
    {0x83, 0x83, 0x9F, 0xB6}, {0x83, 0x83, 0xBF, 0xD6}, {0x84, 0x84, 0x40, 0x60}, {0x84, 0x84, 0x70, 0x91},
    {0x84, 0x84, 0x9F, 0xBE}, {0x87, 0x87, 0x40, 0x5D}, {0x87, 0x87, 0x82, 0x82}, {0x87, 0x87, 0x84, 0x84},
    {0x87, 0x87, 0x90, 0x9C}, {0xEE, 0xEE, 0xEF, 0xF8}, {0xF0, 0xF9, 0x40, 0xFC}, {0xFA, 0xFA, 0x40, 0x53},
    {0xFA, 0xFA, 0x59, 0x5B},
};

}  // namespace

Unicode_To_Cp932 Unicode_Table_From(const platform::Glyph_Table& utf8) {
    Unicode_To_Cp932 table;
    for (int byte = 0x20; byte < 0x100; ++byte) {
        if (platform::Is_Cp932_Single(static_cast<uint8_t>(byte))) {
            Take(table, platform::Glyph_Of(utf8, static_cast<platform::Cell_Code>(byte)), static_cast<uint16_t>(byte));
        }
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!platform::Is_Cp932_Lead(static_cast<uint8_t>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!platform::Is_Cp932_Trail(static_cast<uint8_t>(trail))) continue;
            const auto code = static_cast<uint16_t>(lead << 8 | trail);
            const std::string_view glyph = platform::Glyph_Of(utf8, code);
            if (glyph != platform::Placeholder_Glyph) Take(table, glyph, code);
        }
    }
    for (const auto& [point, code] : Jis_Forms) table.pairs.try_emplace(point, code);
    return table;
}

char32_t Code_Point(std::string_view utf8, size_t i, size_t length) {
    const auto byte = [&](size_t k) { return static_cast<char32_t>(static_cast<uint8_t>(utf8[i + k])); };
    if (length == 1) return byte(0);
    char32_t point = byte(0) & (0xFFu >> (length + 1));
    for (size_t k = 1; k < length; ++k) point = point << 6 | (byte(k) & 0x3F);
    return point;
}

Cp932_Text Cp932_From_Utf8(std::string_view utf8, const Unicode_To_Cp932& table) {
    Cp932_Text text;
    for (size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<uint8_t>(utf8[i]);
        const size_t length = Utf8_Length(utf8, i);
        if (byte < 0x80) {  // ASCII, control bytes and 0x5C included, is the same in both
            text.bytes += static_cast<char>(byte);
            ++i;
            continue;
        }
        const auto found = length == 0 ? table.pairs.end() : table.pairs.find(Code_Point(utf8, i, length));
        if (found == table.pairs.end()) {
            if (text.missing == std::string_view::npos) {
                text.missing = i;
                text.missing_length = std::max<size_t>(length, 1);
            }
            text.bytes += length >= 3 ? "??" : "?";  // most such are wide; a byte that is no UTF-8 is one
            i += std::max<size_t>(length, 1);
            continue;
        }
        if (found->second > 0xFF) text.bytes += static_cast<char>(found->second >> 8);
        text.bytes += static_cast<char>(found->second & 0xFF);
        i += length;
    }
    return text;
}

std::string Code_Point_Name(char32_t code) {
    constexpr std::string_view Digits = "0123456789ABCDEF";
    std::string hex;
    for (char32_t rest = code; rest != 0 || hex.size() < 4; rest >>= 4) hex.insert(hex.begin(), Digits[rest & 0xF]);
    return "U+" + hex;
}

bool Is_Ambiguous_Width(uint8_t lead, uint8_t trail) { return In_Runs(Ambiguous, lead, trail); }
