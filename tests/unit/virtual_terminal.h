#pragma once
// A small terminal for the renderer's tests: it understands exactly the
// escape sequences the renderer may send and records as an error anything
// else: a raw control byte, an unknown sequence, a character that would wrap
// past the right edge, a cut UTF-8 character. Characters that are "ambiguous"
// in width (●, ■, ...) take one column or two, as the two kinds of terminals
// in use do; real wide characters (kanji, full-width forms) always take two.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace test_terminal {

inline constexpr char32_t Right_Half = 0xFFFFFFFF;  // the second column of a wide character

struct Virtual_Terminal {
    int width = 80;
    int height = 25;
    bool ambiguous_wide = false;
    std::vector<std::u32string> rows;
    int row = 0;
    int column = 0;
    bool wrap_pending = false;
    std::vector<std::string> errors;
};

inline void Terminal_Clear(Virtual_Terminal& vt) {
    vt.rows.assign(static_cast<size_t>(vt.height), std::u32string(static_cast<size_t>(vt.width), U' '));
}

inline Virtual_Terminal Make_Terminal(int width, int height, bool ambiguous_wide) {
    Virtual_Terminal vt;
    vt.width = width;
    vt.height = height;
    vt.ambiguous_wide = ambiguous_wide;
    Terminal_Clear(vt);
    return vt;
}

inline bool Is_Wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

// Greek, Cyrillic, box drawing, geometric shapes, the private use area and
// the like: one column or two depending on the terminal's setting.
inline bool Is_Ambiguous(char32_t c) {
    return (c >= 0x00A1 && c < 0x1100) || (c >= 0x2010 && c < 0x2E80) || (c >= 0xE000 && c <= 0xF8FF);
}

inline int Width_Of(const Virtual_Terminal& vt, char32_t c) {
    if (Is_Wide(c)) return 2;
    if (Is_Ambiguous(c)) return vt.ambiguous_wide ? 2 : 1;
    return 1;
}

// Overwriting either half of a wide character blanks its other half.
inline void Break_Wide_At(Virtual_Terminal& vt, int column) {
    std::u32string& line = vt.rows[static_cast<size_t>(vt.row)];
    if (line[static_cast<size_t>(column)] == Right_Half && column > 0) line[static_cast<size_t>(column) - 1] = U' ';
    if (column + 1 < vt.width && line[static_cast<size_t>(column) + 1] == Right_Half) {
        line[static_cast<size_t>(column) + 1] = U' ';
    }
}

inline void Put_Char(Virtual_Terminal& vt, char32_t c) {
    const int w = Width_Of(vt, c);
    if (vt.wrap_pending || vt.column + w > vt.width) {
        vt.errors.push_back("a character would wrap at row " + std::to_string(vt.row));
        return;
    }
    Break_Wide_At(vt, vt.column);
    if (w == 2) Break_Wide_At(vt, vt.column + 1);
    std::u32string& line = vt.rows[static_cast<size_t>(vt.row)];
    line[static_cast<size_t>(vt.column)] = c;
    if (w == 2) line[static_cast<size_t>(vt.column) + 1] = Right_Half;
    vt.column += w;
    if (vt.column == vt.width) {
        vt.column = vt.width - 1;
        vt.wrap_pending = true;
    }
}

inline int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

inline void Run_Sequence(Virtual_Terminal& vt, std::string_view parameters, char final) {
    std::vector<int> values;
    bool is_private = !parameters.empty() && parameters[0] == '?';
    int value = -1;
    for (char c : parameters.substr(is_private ? 1 : 0)) {
        if (c == ';') {
            values.push_back(value);
            value = -1;
        } else {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
        }
    }
    values.push_back(value);
    auto at = [&values](size_t i) { return i < values.size() && values[i] > 0 ? values[i] : 1; };
    vt.wrap_pending = false;
    if (is_private && (final == 'h' || final == 'l')) return;  // screen and cursor modes
    switch (final) {
        case 'H':
            vt.row = Clamp(at(0) - 1, 0, vt.height - 1);
            vt.column = Clamp(at(1) - 1, 0, vt.width - 1);
            return;
        case 'G': vt.column = Clamp(at(0) - 1, 0, vt.width - 1); return;
        case 'C': vt.column = Clamp(vt.column + at(0), 0, vt.width - 1); return;
        case 'D': vt.column = Clamp(vt.column - at(0), 0, vt.width - 1); return;
        case 'J':
            if (values[0] == 2) {
                Terminal_Clear(vt);
                return;
            }
            break;
        default: break;
    }
    vt.errors.push_back("unexpected sequence ESC [" + std::string(parameters) + final);
}

inline void Terminal_Feed(Virtual_Terminal& vt, std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        if (byte == 0x1B) {
            size_t j = i + 1;
            if (j >= bytes.size() || bytes[j] != '[') {
                vt.errors.push_back("ESC that starts no control sequence");
                ++i;
                continue;
            }
            ++j;
            const size_t start = j;
            auto is_parameter = [](char c) { return (c >= '0' && c <= '9') || c == ';' || c == '?'; };
            while (j < bytes.size() && is_parameter(bytes[j])) ++j;
            if (j >= bytes.size()) {
                vt.errors.push_back("cut control sequence");
                return;
            }
            Run_Sequence(vt, bytes.substr(start, j - start), bytes[j]);
            i = j + 1;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F) {
            vt.errors.push_back("raw control byte " + std::to_string(byte));
            ++i;
            continue;
        }
        // UTF-8
        char32_t c = byte;
        size_t extra = 0;
        if (byte >= 0xF0) {
            c = byte & 0x07;
            extra = 3;
        } else if (byte >= 0xE0) {
            c = byte & 0x0F;
            extra = 2;
        } else if (byte >= 0xC0) {
            c = byte & 0x1F;
            extra = 1;
        } else if (byte >= 0x80) {
            vt.errors.push_back("stray UTF-8 continuation byte");
            ++i;
            continue;
        }
        if (i + extra >= bytes.size()) {
            vt.errors.push_back("cut UTF-8 character");
            return;
        }
        for (size_t k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<uint8_t>(bytes[i + k]) & 0x3F);
        if (c >= 0x80 && c <= 0x9F) vt.errors.push_back("C1 control character");
        Put_Char(vt, c);
        i += 1 + extra;
    }
}

// The character that starts at each column of a row; Right_Half where a wide
// character goes on.
inline std::u32string Terminal_Row(const Virtual_Terminal& vt, int row) { return vt.rows[static_cast<size_t>(row)]; }

}  // namespace test_terminal
