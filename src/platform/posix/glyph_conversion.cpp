// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/posix/glyph_conversion.h"

#include <iconv.h>
#include <langinfo.h>

#include <array>
#include <clocale>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace posix_terminal {

namespace {

iconv_t converter = reinterpret_cast<iconv_t>(-1);

bool Converter_Open() { return converter != reinterpret_cast<iconv_t>(-1); }

int Convert_With_Iconv(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::array<char, 8> input{};
    if (in_length > static_cast<int>(input.size())) return -1;
    std::memcpy(input.data(), in, static_cast<size_t>(in_length));
    char* in_next = input.data();
    size_t in_left = static_cast<size_t>(in_length);
    char* out_next = reinterpret_cast<char*>(out);
    size_t out_left = static_cast<size_t>(out_capacity);
    if (iconv(converter, &in_next, &in_left, &out_next, &out_left) == static_cast<size_t>(-1)) return -1;
    if (in_left != 0) return -1;
    if (iconv(converter, nullptr, nullptr, &out_next, &out_left) == static_cast<size_t>(-1)) return -1;
    return out_capacity - static_cast<int>(out_left);
}

// The locale's code set, taken from the environment without leaving the
// process in that locale: the rest of the game reads its files byte by byte
// and must not see a locale's character classes.
void Read_Code_Set(std::array<char, 64>& code_set) {
    code_set.fill('\0');
    std::array<char, 256> previous{};
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    if (current != nullptr) std::strncpy(previous.data(), current, previous.size() - 1);
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* name = nl_langinfo(CODESET);
        if (name != nullptr) std::strncpy(code_set.data(), name, code_set.size() - 1);
    }
    (void)std::setlocale(LC_CTYPE, previous[0] != '\0' ? previous.data() : "C");
}

// A code set name compared without case and punctuation: "Shift_JIS",
// "shift-jis" and "SHIFTJIS" are one name.
std::string_view Squeeze(const std::array<char, 64>& code_set, std::array<char, 64>& squeezed) {
    size_t length = 0;
    for (char c : code_set) {
        if (c == '\0') break;
        if (c == '-' || c == '_' || c == '.') continue;
        squeezed[length++] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return {squeezed.data(), length};
}

bool Names_Shift_Jis(std::string_view name) {
    return name.find("SJIS") != std::string_view::npos || name.find("SHIFTJIS") != std::string_view::npos ||
           name == "CP932" || name == "MS932" || name == "WINDOWS31J" || name == "PCK" || name == "IBM943";
}

// Plain ASCII is what the C and POSIX locales report; their terminals are
// UTF-8 nowadays, so that is what the game writes there.
bool Names_Ascii(std::string_view name) {
    return name.empty() || name == "ANSIX341968" || name == "ASCII" || name == "USASCII" || name == "646" ||
           name == "ISO646US";
}

struct Charset_Choice {
    platform::Terminal_Charset charset;
    const char* iconv_name;  // what to convert into
};

Charset_Choice Choose_Charset(const std::array<char, 64>& code_set) {
    std::array<char, 64> squeezed{};
    const std::string_view name = Squeeze(code_set, squeezed);
    if (Names_Ascii(name) || name == "UTF8") return {platform::Terminal_Charset::Utf8, "UTF-8"};
    if (Names_Shift_Jis(name)) return {platform::Terminal_Charset::Shift_Jis, code_set.data()};
    if (name.substr(0, 3) == "EUC") return {platform::Terminal_Charset::Euc, code_set.data()};
    return {platform::Terminal_Charset::Other, code_set.data()};
}

void Open_Converter(const char* to) {
    for (const char* from : {"CP932", "WINDOWS-31J", "SHIFT_JIS"}) {
        converter = iconv_open(to, from);
        if (Converter_Open()) return;
    }
}

}  // namespace

platform::Input_Encoding Load_Glyphs(platform::Glyph_Table& table) {
    std::array<char, 64> code_set{};
    Read_Code_Set(code_set);
    return Load_Glyphs_For(code_set.data(), table);
}

platform::Input_Encoding Load_Glyphs_For(const char* code_set_name, platform::Glyph_Table& table) {
    std::array<char, 64> code_set{};
    std::strncpy(code_set.data(), code_set_name, code_set.size() - 1);
    const Charset_Choice choice = Choose_Charset(code_set);
    Open_Converter(choice.iconv_name);
    if (!Converter_Open() && choice.charset == platform::Terminal_Charset::Shift_Jis) Open_Converter("SHIFT_JIS");
    // Without any converter only ASCII is drawn; everything else shows as
    // placeholders, still one column per byte.
    platform::Fill_Glyph_Table(table, Converter_Open() ? Convert_With_Iconv : nullptr, choice.charset);
    if (Converter_Open()) iconv_close(converter);
    converter = reinterpret_cast<iconv_t>(-1);
    // Keys typed in any other character set are multi-byte or 8-bit
    // characters, which the UTF-8 reading drops whole or byte by byte.
    return choice.charset == platform::Terminal_Charset::Shift_Jis ? platform::Input_Encoding::Shift_Jis
                                                                   : platform::Input_Encoding::Utf8;
}

}  // namespace posix_terminal
