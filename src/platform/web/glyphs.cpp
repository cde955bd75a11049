// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/web/glyphs.h"

#include <emscripten.h>

#include <array>
#include <cstdint>

// clang-format off
// The code point of every lead and trail byte pair of code page 932 as the
// browser decodes Shift-JIS (Windows-31J), -1 where a pair is no character;
// all in one pass of the decoder, each pair followed by a line feed (which no
// pair holds), as reading them one at a time would slow the page's start.
EM_JS(void, page_decode_cp932_pairs, (int32_t* codes, int lead_count, int trail_count), {
    const leads = [];
    for (let lead = 0x81; lead <= 0xFC; ++lead) if (lead <= 0x9F || lead >= 0xE0) leads.push(lead);
    const bytes = new Uint8Array(lead_count * trail_count * 3);
    let at = 0;
    for (const lead of leads) {
        for (let trail = 0x40; trail < 0x40 + trail_count; ++trail) {
            bytes[at++] = lead;
            bytes[at++] = trail;
            bytes[at++] = 0x0A;
        }
    }
    const texts = new TextDecoder("shift_jis").decode(bytes).split("\n");
    for (let i = 0; i < lead_count * trail_count; ++i) {
        const text = texts[i];
        const code = text.codePointAt(0);
        HEAP32[(codes >> 2) + i] = text.length === 1 && code !== 0xFFFD ? code : -1;
    }
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
    page_decode_cp932_pairs(pair_codes.data(), platform::Lead_Count, platform::Trail_Count);
    platform::Fill_Glyph_Table(table, Cp932_To_Utf8, platform::Terminal_Charset::Utf8);
}

}  // namespace web_page
