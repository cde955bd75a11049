// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/web/glyphs.h"

#include <emscripten.h>

#include <array>
#include <cstdint>
#include <vector>

// clang-format off
// Shift-JIS (Windows-31J) as the browser decodes it, `length` bytes from
// `bytes`, put into `out` as UTF-8; returns the bytes written. All the pairs
// are decoded in this one call: the browser's decoder is quick, while going
// over eleven thousand pairs one at a time in script took much of the
// page's start.
EM_JS(int, page_decode_shift_jis, (const uint8_t* bytes, int length, uint8_t* out, int capacity), {
    const text = new TextDecoder("shift_jis").decode(HEAPU8.subarray(bytes, bytes + length));
    return new TextEncoder().encodeInto(text, HEAPU8.subarray(out, out + capacity)).written;
});
// clang-format on

namespace web_page {

namespace {

int Put_Utf8(int code, uint8_t* out, int capacity) {
    if (code < 0x80 && capacity >= 1) {
        out[0] = static_cast<uint8_t>(code);
        return 1;
    }
    if (code < 0x800 && capacity >= 2) {
        out[0] = static_cast<uint8_t>(0xC0 | (code >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000 && capacity >= 3) {
        out[0] = static_cast<uint8_t>(0xE0 | (code >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (code & 0x3F));
        return 3;
    }
    return -1;
}

std::array<int32_t, platform::Lead_Count * platform::Trail_Count> pair_codes;

// The code point of a line of UTF-8 that holds one character, other than
// the decoder's U+FFFD for bytes that are none; else -1.
int32_t Code_Of_Line(const uint8_t* line, size_t length) {
    if (length == 0) return -1;
    const uint8_t first = line[0];
    const size_t expected = first < 0x80 ? 1 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 0;
    if (expected != length) return -1;
    int32_t code = length == 1 ? first : first & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) code = (code << 6) | (line[i] & 0x3F);
    return code == 0xFFFD ? -1 : code;
}

// Every lead and trail byte pair, each followed by a line feed (which no
// pair holds) so that each comes out as a line of its own; a pair that is
// no character comes out as U+FFFD, with its trail byte's own character
// where that is ASCII.
void Decode_Pairs() {
    std::vector<uint8_t> pairs(pair_codes.size() * 3);
    size_t next = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!platform::Is_Cp932_Lead(static_cast<uint8_t>(lead))) continue;
        for (int trail = 0x40; trail < 0x40 + platform::Trail_Count; ++trail) {
            pairs[next++] = static_cast<uint8_t>(lead);
            pairs[next++] = static_cast<uint8_t>(trail);
            pairs[next++] = '\n';
        }
    }
    // A pair's line takes at most five bytes: U+FFFD, an ASCII character and the line feed.
    std::vector<uint8_t> text(pair_codes.size() * 5);
    const int written = page_decode_shift_jis(pairs.data(), static_cast<int>(pairs.size()), text.data(),
                                              static_cast<int>(text.size()));
    size_t at = 0;
    for (int32_t& code : pair_codes) {
        size_t end = at;
        while (end < static_cast<size_t>(written) && text[end] != '\n') ++end;
        code = end < static_cast<size_t>(written) ? Code_Of_Line(text.data() + at, end - at) : -1;
        at = end + 1;
    }
}

int Lead_Index(uint8_t lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1); }

// The single bytes are ASCII and the half-width katakana (U+FF61 on).
int Code_Of(const uint8_t* in, int in_length) {
    if (in_length == 1) return in[0] < 0x80 ? in[0] : in[0] >= 0xA1 && in[0] <= 0xDF ? 0xFF61 + (in[0] - 0xA1) : -1;
    if (in_length != 2 || !platform::Is_Cp932_Lead(in[0]) || !platform::Is_Cp932_Trail(in[1])) return -1;
    return pair_codes[static_cast<size_t>(Lead_Index(in[0])) * platform::Trail_Count + static_cast<size_t>(in[1] - 0x40)];
}

int Cp932_To_Utf8(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    const int code = Code_Of(in, in_length);
    return code < 0 ? -1 : Put_Utf8(code, out, out_capacity);
}

}  // namespace

void Fill_Page_Glyphs(platform::Glyph_Table& table) {
    Decode_Pairs();
    platform::Fill_Glyph_Table(table, Cp932_To_Utf8, platform::Terminal_Charset::Utf8);
}

}  // namespace web_page
