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
    std::setlocale(LC_CTYPE, previous[0] != '\0' ? previous.data() : "C");
}

// "Shift_JIS", "SJIS", "shift-jis", "CP932", "Windows-31J", "PCK", ... all
// name Shift-JIS; compared without case and punctuation.
bool Names_Shift_Jis(const std::array<char, 64>& code_set) {
    std::array<char, 64> squeezed{};
    size_t length = 0;
    for (char c : code_set) {
        if (c == '\0') break;
        if (c == '-' || c == '_' || c == '.') continue;
        squeezed[length++] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    const std::string_view name(squeezed.data(), length);
    return name.find("SJIS") != std::string_view::npos || name.find("SHIFTJIS") != std::string_view::npos ||
           name == "CP932" || name == "MS932" || name == "WINDOWS31J" || name == "PCK" || name == "IBM943";
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
    const bool shift_jis = Names_Shift_Jis(code_set);
    Open_Converter(shift_jis ? code_set.data() : "UTF-8");
    if (!Converter_Open() && shift_jis) Open_Converter("SHIFT_JIS");
    // Without any converter only ASCII is drawn; everything else shows as
    // placeholders, still one column per byte.
    platform::Fill_Glyph_Table(table, Converter_Open() ? Convert_With_Iconv : nullptr);
    if (Converter_Open()) iconv_close(converter);
    converter = reinterpret_cast<iconv_t>(-1);
    return shift_jis ? platform::Input_Encoding::Shift_Jis : platform::Input_Encoding::Utf8;
}

}  // namespace posix_terminal
