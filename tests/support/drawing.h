// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// What the drawing tests and the drawing fuzz target share: the game's own
// glyph tables (the real conversion through iconv, the one the POSIX back end
// uses), the escape-byte operations captured into a string, and a recorder of
// the operations themselves.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/ansi_screen.h"
#include "platform/core/console.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/posix/glyph_conversion.h"

namespace drawing {

// Code page 932 as a terminal of that character set shows it.
inline const platform::Glyph_Table& Glyphs_For(const char* code_set) {
    static std::vector<std::pair<std::string, std::unique_ptr<platform::Glyph_Table>>> tables;
    for (const auto& [name, table] : tables) {
        if (name == code_set) return *table;
    }
    auto table = std::make_unique<platform::Glyph_Table>();
    posix_terminal::Load_Glyphs_For(code_set, *table);
    tables.emplace_back(code_set, std::move(table));
    return *tables.back().second;
}

inline const platform::Glyph_Table& Utf8_Glyphs() { return Glyphs_For("UTF-8"); }

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

// ---- The escape bytes a terminal gets ------------------------------------------

inline std::string& Sent() {
    static std::string sent;
    return sent;
}

inline void Capture(const uint8_t* bytes, size_t length) { Sent().append(reinterpret_cast<const char*>(bytes), length); }

inline void No_Screen_Change() {}

// The escape-byte writer's drawing, sending into Sent() with the given glyphs
// and a terminal's line end; the full screen is entered and left by others.
inline const platform::Console_Backend& Terminal_Operations(const platform::Glyph_Table& glyphs) {
    static const platform::Console_Backend operations = {
        .place_cursor = platform::Ansi_Place_Cursor,
        .write_cells = platform::Ansi_Write_Cells,
        .new_line = platform::Ansi_New_Line,
        .clear = platform::Ansi_Clear,
        .enter_full_screen = No_Screen_Change,
        .leave_full_screen = No_Screen_Change,
        .send = platform::Ansi_Send,
    };
    platform::Ansi_Start(glyphs, "\r\n", Capture);
    Sent().clear();
    return operations;
}

// Everything sent since, emptied.
inline std::string Take_Sent() {
    std::string sent;
    sent.swap(Sent());
    return sent;
}

// ---- The operations as they are asked for -------------------------------------------

inline std::vector<std::string>& Recorded() {
    static std::vector<std::string> recorded;
    return recorded;
}

inline void Record(std::string operation) { Recorded().push_back(std::move(operation)); }

// A back end that only writes down what it is asked to draw: "place 3,8",
// "write 41 819c" (the codes, hexadecimal), "new line", "clear", "enter",
// "leave", "send"; in UTF-8 on an 80 x 25 screen. The keys, the clock and the
// way out are not asked of it.
inline const platform::Console_Backend& Recorder() {
    static const platform::Console_Backend operations = {
        .start = [](platform::Glyph_Table& glyphs) { glyphs = Utf8_Glyphs(); },
        .place_cursor = [](int row, int column, int, int) {
            Record("place " + std::to_string(row) + "," + std::to_string(column));
        },
        .write_cells = [](const platform::Cell_Code* codes, int count) {
            std::string text = "write";
            for (int i = 0; i < count; ++i) {
                std::array<char, 8> hex{};
                std::snprintf(hex.data(), hex.size(), " %x", codes[i]);
                text += hex.data();
            }
            Record(text);
        },
        .new_line = [] { Record("new line"); },
        .clear = [] { Record("clear"); },
        .enter_full_screen = [] { Record("enter"); },
        .leave_full_screen = [] { Record("leave"); },
        .send = [] { Record("send"); },
        .screen_size = []() -> platform::Screen_Size { return {80, 25}; },
        .serve_screen_events = [](platform::Terminal_View&, bool) {},
    };
    return operations;
}

}  // namespace drawing
