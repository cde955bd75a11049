#pragma once
// Glyph tables for the terminal tests: the real one, converted by the
// system's iconv from code page 932 into UTF-8 as the POSIX back end does.

#include <iconv.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "platform/core/cp932_glyphs.h"

namespace glyph_fixture {

inline iconv_t& Test_Converter() {
    static iconv_t converter = iconv_open("UTF-8", "CP932");
    return converter;
}

inline int Convert_By_Iconv(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    iconv_t converter = Test_Converter();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::array<char, 8> input{};
    std::memcpy(input.data(), in, static_cast<size_t>(in_length));
    char* in_next = input.data();
    size_t in_left = static_cast<size_t>(in_length);
    char* out_next = reinterpret_cast<char*>(out);
    size_t out_left = static_cast<size_t>(out_capacity);
    if (iconv(converter, &in_next, &in_left, &out_next, &out_left) == static_cast<size_t>(-1) || in_left != 0) {
        return -1;
    }
    return out_capacity - static_cast<int>(out_left);
}

inline const platform::Glyph_Table& Utf8_Glyphs() {
    static const std::unique_ptr<platform::Glyph_Table> table = [] {
        auto filled = std::make_unique<platform::Glyph_Table>();
        platform::Fill_Glyph_Table(*filled, Convert_By_Iconv);
        return filled;
    }();
    return *table;
}

// The code point of one UTF-8 character.
inline char32_t Code_Point(std::string_view utf8) {
    if (utf8.empty()) return 0;
    const auto first = static_cast<uint8_t>(utf8[0]);
    if (first < 0x80) return first;
    const size_t extra = first >= 0xF0 ? 3 : (first >= 0xE0 ? 2 : 1);
    char32_t c = first & (0x3F >> extra);
    for (size_t k = 1; k <= extra && k < utf8.size(); ++k) c = (c << 6) | (static_cast<uint8_t>(utf8[k]) & 0x3F);
    return c;
}

}  // namespace glyph_fixture
