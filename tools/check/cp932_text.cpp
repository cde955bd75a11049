// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "cp932_text.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The double-byte characters code page 932 assigns, as runs of trail bytes
// for each lead byte: the rest of the lead/trail grid (0x85 and 0x86, 0xEB,
// 0xEC and 0xEF whole, and the gaps between symbol rows) holds none, and the
// game shows such a pair as ??. The user-defined rows 0xF0 to 0xF9 are
// characters: they convert to private-use code points.
constexpr Pair_Run Assigned[] = {
    {0x81, 0x81, 0x40, 0x7E}, {0x81, 0x81, 0x80, 0xAC}, {0x81, 0x81, 0xB8, 0xBF}, {0x81, 0x81, 0xC8, 0xCE},
    {0x81, 0x81, 0xDA, 0xE8}, {0x81, 0x81, 0xF0, 0xF7}, {0x81, 0x81, 0xFC, 0xFC}, {0x82, 0x82, 0x4F, 0x58},
    {0x82, 0x82, 0x60, 0x79}, {0x82, 0x82, 0x81, 0x9A}, {0x82, 0x82, 0x9F, 0xF1}, {0x83, 0x83, 0x40, 0x7E},
    {0x83, 0x83, 0x80, 0x96}, {0x83, 0x83, 0x9F, 0xB6}, {0x83, 0x83, 0xBF, 0xD6}, {0x84, 0x84, 0x40, 0x60},
    {0x84, 0x84, 0x70, 0x7E}, {0x84, 0x84, 0x80, 0x91}, {0x84, 0x84, 0x9F, 0xBE}, {0x87, 0x87, 0x40, 0x5D},
    {0x87, 0x87, 0x5F, 0x75}, {0x87, 0x87, 0x7E, 0x7E}, {0x87, 0x87, 0x80, 0x9C}, {0x88, 0x88, 0x9F, 0xFC},
    {0x89, 0x97, 0x40, 0xFC}, {0x98, 0x98, 0x40, 0x72}, {0x98, 0x98, 0x9F, 0xFC}, {0x99, 0x9F, 0x40, 0xFC},
    {0xE0, 0xE9, 0x40, 0xFC}, {0xEA, 0xEA, 0x40, 0xA4}, {0xED, 0xED, 0x40, 0xFC}, {0xEE, 0xEE, 0x40, 0xEC},
    {0xEE, 0xEE, 0xEF, 0xFC}, {0xF0, 0xFB, 0x40, 0xFC}, {0xFC, 0xFC, 0x40, 0x4B},
};

bool Is_Assigned(uint8_t lead, uint8_t trail) { return In_Runs(Assigned, lead, trail); }

// Any one printable byte will do: only whether there is a glyph counts.
int Any_Glyph(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    if (out_capacity < 1) return -1;
    if (in_length == 2 && !Is_Assigned(in[0], in[1])) return -1;
    out[0] = 'x';
    return 1;
}

std::vector<platform::Cell_Code> Layout(std::string_view bytes, const platform::Glyph_Table& table) {
    std::vector<platform::Cell_Code> codes(bytes.size());
    platform::Layout_Row(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()), table,
                         codes.data());
    return codes;
}

}  // namespace

const platform::Glyph_Table& Code_Page_Table() {
    static const std::unique_ptr<platform::Glyph_Table> table = [] {
        auto filled = std::make_unique<platform::Glyph_Table>();
        platform::Fill_Glyph_Table(*filled, Any_Glyph);
        return filled;
    }();
    return *table;
}

std::string Made_Safe(std::string_view bytes) {
    const std::vector<platform::Cell_Code> codes = Layout(bytes, Code_Page_Table());
    std::string safe;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (codes[i] == platform::Cell_Placeholder) {
            safe += '?';
        } else {
            safe += bytes[i];  // a single byte, or either byte of a pair
        }
    }
    return safe;
}

std::string Quoted(std::string_view bytes, size_t limit) {
    const std::string safe = Made_Safe(bytes);
    if (safe.size() <= limit) return "'" + safe + "'";
    size_t end = 0;
    while (end < safe.size()) {
        // Safe text holds no lone lead byte: a lead byte starts a pair.
        const size_t width = platform::Is_Cp932_Lead(static_cast<uint8_t>(safe[end])) ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return "'" + safe.substr(0, end) + "...'";
}

size_t First_Non_Character(std::string_view bytes) {
    const std::vector<platform::Cell_Code> codes = Layout(bytes, Code_Page_Table());
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == platform::Cell_Placeholder) return i;
    }
    return std::string_view::npos;
}

size_t Non_Character_Length(std::string_view bytes, size_t at) {
    const bool pair = at + 1 < bytes.size() && platform::Is_Cp932_Lead(static_cast<uint8_t>(bytes[at])) &&
                      platform::Is_Cp932_Trail(static_cast<uint8_t>(bytes[at + 1]));
    return pair ? 2 : 1;
}

std::string Shown(std::string_view safe_text, const platform::Glyph_Table& output) {
    const std::vector<platform::Cell_Code> codes = Layout(safe_text, output);
    std::string shown;
    for (const platform::Cell_Code code : codes) {
        if (code == platform::Cell_Second_Half) continue;
        shown += platform::Glyph_Of(output, code);
    }
    return shown;
}

std::string Hex_Byte(uint8_t byte) {
    constexpr std::string_view Digits = "0123456789ABCDEF";
    return std::string("0x") + Digits[byte >> 4] + Digits[byte & 0x0F];
}

size_t Utf8_Length(std::string_view bytes, size_t i) {
    const auto at = [&](size_t k) { return i + k < bytes.size() ? static_cast<uint8_t>(bytes[i + k]) : 0; };
    const uint8_t lead = at(0);
    if (i >= bytes.size()) return 0;
    if (lead < 0x80) return 1;
    // The range of the second byte narrows for the leads that could start an
    // overlong form, a surrogate or a value past U+10FFFF.
    uint8_t low = 0x80, high = 0xBF;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at(1) < low || at(1) > high) return 0;
    for (size_t k = 2; k < length; ++k) {
        if ((at(k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

bool Is_Utf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8_Length(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

namespace {

bool Is_C0_Or_Del(uint8_t byte) { return byte < 0x20 || byte == 0x7F; }

// U+0080 to U+009F, two bytes in UTF-8.
bool Is_Utf8_C1(std::string_view bytes, size_t i, size_t length) {
    return length == 2 && static_cast<uint8_t>(bytes[i]) == 0xC2 && static_cast<uint8_t>(bytes[i + 1]) <= 0x9F;
}

}  // namespace

std::string Path_Shown(std::string_view path, platform::Terminal_Charset charset) {
    using platform::Terminal_Charset;
    std::string shown;
    for (size_t i = 0; i < path.size();) {
        const auto byte = static_cast<uint8_t>(path[i]);
        size_t length = 1;
        bool control = Is_C0_Or_Del(byte);
        if (charset == Terminal_Charset::Utf8) {
            length = std::max<size_t>(Utf8_Length(path, i), 1);
            control = control || Utf8_Length(path, i) == 0 || Is_Utf8_C1(path, i, length);
        } else if (byte >= 0x80 && byte <= 0x9F) {
            // Shift-JIS lead bytes; EUC's single shifts, which start a character.
            control = charset == Terminal_Charset::Other ||
                      (charset == Terminal_Charset::Euc && byte != 0x8E && byte != 0x8F);
        }
        shown += control ? std::string("?") : std::string(path.substr(i, length));
        i += length;
    }
    return shown;
}
