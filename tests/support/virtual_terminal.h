// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// A small terminal for the drawing tests and the drawing fuzz target: it
// understands exactly the escape sequences the game may send and records as
// an error anything else: a raw control byte, an unknown sequence, a cursor
// placed outside it or moved along a row it cannot know, a character written
// where the cursor is not known or that would wrap past the right edge, a cut
// or C1 character. It reads UTF-8 or Shift-JIS. How wide it draws a character
// is its setting: by Unicode, with the "ambiguous" characters (●, ■, ...)
// one column or two as the two kinds of terminals in use do, or by a rule of
// the test's own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace test_terminal {

inline constexpr char32_t Right_Half = 0xFFFFFFFF;  // the second column of a wide character
inline constexpr char32_t Unknown = 0xFFFFFFFE;     // what a lost screen shows, as far as anyone knows

enum class Encoding { Utf8, Shift_Jis };

struct Virtual_Terminal;
using Width_Rule = int (*)(const Virtual_Terminal& vt, char32_t c);

struct Virtual_Terminal {
    int width = 80;
    int height = 25;
    Encoding encoding = Encoding::Utf8;
    bool ambiguous_wide = false;
    Width_Rule width_of = nullptr;  // null: by Unicode and ambiguous_wide
    std::vector<std::u32string> rows;
    int row = -1;  // -1: the cursor's place is not known
    int column = 0;
    bool wrap_pending = false;
    std::vector<std::string> errors;
};

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
    if (vt.width_of != nullptr) return vt.width_of(vt, c);
    if (vt.encoding == Encoding::Shift_Jis) return c > 0xFF ? 2 : 1;
    if (Is_Wide(c)) return 2;
    if (Is_Ambiguous(c)) return vt.ambiguous_wide ? 2 : 1;
    return 1;
}

inline void Terminal_Fill(Virtual_Terminal& vt, char32_t c) {
    vt.rows.assign(static_cast<size_t>(vt.height), std::u32string(static_cast<size_t>(vt.width), c));
}

// A terminal whose content is not known yet, nor where its cursor stands.
inline Virtual_Terminal Make_Terminal(int width, int height, bool ambiguous_wide,
                                      Encoding encoding = Encoding::Utf8) {
    Virtual_Terminal vt;
    vt.width = width;
    vt.height = height;
    vt.ambiguous_wide = ambiguous_wide;
    vt.encoding = encoding;
    Terminal_Fill(vt, Unknown);
    return vt;
}

// The screen is lost (a suspension, a resize): nothing on it is known.
inline void Terminal_Lose(Virtual_Terminal& vt) {
    Terminal_Fill(vt, Unknown);
    vt.row = -1;
    vt.column = 0;
    vt.wrap_pending = false;
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
    if (vt.row < 0) {
        vt.errors.push_back("a character is written before the cursor is placed");
        return;
    }
    if (vt.wrap_pending || vt.column + w > vt.width) {
        vt.errors.push_back("a character would wrap at row " + std::to_string(vt.row));
        return;
    }
    for (int k = 0; k < w; ++k) Break_Wide_At(vt, vt.column + k);
    std::u32string& line = vt.rows[static_cast<size_t>(vt.row)];
    line[static_cast<size_t>(vt.column)] = c;
    if (w == 2) line[static_cast<size_t>(vt.column) + 1] = Right_Half;
    vt.column += w;
    if (vt.column == vt.width) {
        vt.column = vt.width - 1;
        vt.wrap_pending = true;
    }
}

struct Sequence {
    std::vector<int> values;  // 0 where a parameter is left out
    bool is_private = false;
};

inline Sequence Read_Parameters(std::string_view parameters) {
    Sequence sequence;
    sequence.is_private = !parameters.empty() && parameters[0] == '?';
    if (sequence.is_private) parameters.remove_prefix(1);
    if (parameters.empty()) return sequence;
    int value = 0;
    for (char c : parameters) {
        if (c == ';') {
            sequence.values.push_back(value);
            value = 0;
        } else {
            value = value * 10 + (c - '0');
        }
    }
    sequence.values.push_back(value);
    return sequence;
}

inline int Parameter(const Sequence& sequence, size_t i) {
    return i < sequence.values.size() && sequence.values[i] > 0 ? sequence.values[i] : 1;
}

inline void Move_Along_Row(Virtual_Terminal& vt, const Sequence& sequence, char final) {
    if (sequence.values.size() > 1) vt.errors.push_back("a column move with more than one parameter");
    if (vt.row < 0) vt.errors.push_back("the cursor is moved along a row it cannot know");
    const int by = Parameter(sequence, 0);
    const int column = final == 'G' ? by - 1 : (final == 'C' ? vt.column + by : vt.column - by);
    if (column < 0 || column >= vt.width) {
        vt.errors.push_back("a column move leaves the terminal");
        return;
    }
    vt.column = column;
}

inline void Run_Sequence(Virtual_Terminal& vt, std::string_view parameters, char final) {
    const Sequence sequence = Read_Parameters(parameters);
    vt.wrap_pending = false;
    if (sequence.is_private) {
        // The full screen and the cursor's visibility, as the game enters and leaves them.
        const bool known = sequence.values.size() == 1 && (sequence.values[0] == 1049 || sequence.values[0] == 25);
        if (!known || (final != 'h' && final != 'l')) vt.errors.push_back("unexpected private mode");
        return;
    }
    switch (final) {
        case 'H': {
            if (sequence.values.size() > 2) vt.errors.push_back("a placement with more than two parameters");
            const int row = Parameter(sequence, 0) - 1;
            const int column = Parameter(sequence, 1) - 1;
            if (row >= vt.height || column >= vt.width) {
                vt.errors.push_back("the cursor is placed outside the terminal");
                return;
            }
            vt.row = row;
            vt.column = column;
            return;
        }
        case 'G':
        case 'C':
        case 'D': Move_Along_Row(vt, sequence, final); return;
        case 'J':
            if (sequence.values.size() == 1 && sequence.values[0] == 2) {
                Terminal_Fill(vt, U' ');
                return;
            }
            break;
        default: break;
    }
    vt.errors.push_back("unexpected sequence ESC [" + std::string(parameters) + final);
}

// One character's length from its first byte, 0 when no character starts so.
inline size_t Character_Length(const Virtual_Terminal& vt, uint8_t first) {
    if (first < 0x80) return 1;
    if (vt.encoding == Encoding::Shift_Jis) {
        if ((first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xFC)) return 2;
        return first >= 0xA1 && first <= 0xDF ? 1 : 0;
    }
    if (first >= 0xC2 && first <= 0xDF) return 2;
    if (first >= 0xE0 && first <= 0xEF) return 3;
    return first >= 0xF0 && first <= 0xF4 ? 4 : 0;
}

// The character the bytes make; for Shift-JIS, the byte or the pair itself.
inline char32_t Decode(const Virtual_Terminal& vt, std::string_view bytes, std::string& error) {
    const auto first = static_cast<uint8_t>(bytes[0]);
    if (vt.encoding == Encoding::Shift_Jis) {
        if (bytes.size() == 1) return first;
        const auto trail = static_cast<uint8_t>(bytes[1]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) error = "a double-byte character with no trail byte";
        return static_cast<char32_t>(first << 8 | trail);
    }
    if (bytes.size() == 1) return first;
    char32_t c = first & (0xFF >> (bytes.size() + 1));
    for (size_t k = 1; k < bytes.size(); ++k) {
        const auto next = static_cast<uint8_t>(bytes[k]);
        if (next < 0x80 || next > 0xBF) error = "a broken UTF-8 character";
        c = (c << 6) | (next & 0x3F);
    }
    if (c >= 0x80 && c <= 0x9F) error = "a C1 control character";
    return c;
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
        const size_t length = Character_Length(vt, byte);
        if (length == 0) {
            vt.errors.push_back("a byte that starts no character: " + std::to_string(byte));
            ++i;
            continue;
        }
        if (i + length > bytes.size()) {
            vt.errors.push_back("cut character");
            return;
        }
        std::string error;
        const char32_t c = Decode(vt, bytes.substr(i, length), error);
        if (!error.empty()) vt.errors.push_back(error);
        Put_Char(vt, c);
        i += length;
    }
}

}  // namespace test_terminal
