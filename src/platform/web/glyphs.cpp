#include "platform/web/glyphs.h"

#include <emscripten.h>

// clang-format off
// The code point of one code page 932 character as the browser decodes
// Shift-JIS (Windows-31J), or -1 when it is none.
EM_JS(int, page_decode_cp932, (const uint8_t* bytes, int length), {
    try {
        if (!Module.pageDecoder) Module.pageDecoder = new TextDecoder("shift_jis", {fatal: true});
        const text = Module.pageDecoder.decode(HEAPU8.subarray(bytes, bytes + length));
        const code = text.codePointAt(0);
        return text.length === 1 && code !== 0xFFFD ? code : -1;
    } catch (e) {
        return -1;
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

int Cp932_To_Utf8(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    const int code = page_decode_cp932(in, in_length);
    return code < 0 ? -1 : Put_Utf8(code, out, out_capacity);
}

}  // namespace

void Fill_Page_Glyphs(platform::Glyph_Table& table) {
    platform::Fill_Glyph_Table(table, Cp932_To_Utf8, platform::Terminal_Charset::Utf8);
}

}  // namespace web_page
