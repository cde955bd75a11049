// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The screen model brought onto a terminal: checked on a small virtual
// terminal, in both of the widths terminals give to characters such as "●".

#include "platform/core/screen_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "drawing.h"
#include "platform/core/screen_model.h"
#include "virtual_terminal.h"

namespace {

using platform::Screen_Model;
using platform::Terminal_View;
using test_terminal::Right_Half;
using test_terminal::Virtual_Terminal;

// A model, what the renderer believes the terminal shows, and the terminal.
struct Screen {
    Screen_Model model;
    Terminal_View view;
    Virtual_Terminal terminal;
};

std::unique_ptr<Screen> Make_Screen(int width, int height, bool ambiguous_wide) {
    auto screen = std::make_unique<Screen>();
    platform::Model_Clear(screen->model);
    platform::View_Start(screen->view, width, height);
    screen->terminal = test_terminal::Make_Terminal(width, height, ambiguous_wide);
    return screen;
}

// Presents the model and feeds what was sent to the terminal; returns it.
std::string Present(Screen& screen) {
    const platform::Console_Backend& operations = drawing::Terminal_Operations(drawing::Utf8_Glyphs());
    platform::Present_Model(screen.model, screen.view, drawing::Utf8_Glyphs(), operations);
    operations.send();
    const std::string sent = drawing::Take_Sent();
    test_terminal::Terminal_Feed(screen.terminal, sent);
    return sent;
}

void Write(Screen& screen, int x, int y, std::string_view bytes) {
    platform::Model_Place(screen.model, x, y);
    for (char c : bytes) platform::Model_Put(screen.model, static_cast<uint8_t>(c));
}

// The same model drawn from scratch on a fresh terminal.
std::unique_ptr<Screen> Fresh_Copy(const Screen& screen) {
    auto copy = Make_Screen(screen.view.width, screen.view.height, screen.terminal.ambiguous_wide);
    copy->model = screen.model;
    Present(*copy);
    return copy;
}

const char32_t Hero = U'\u25cf';

TEST(Screen_Renderer, A_Lead_And_A_Trail_Byte_From_Two_Writes_Are_One_Character) {
    for (bool wide : {false, true}) {
        auto screen = Make_Screen(80, 25, wide);
        Write(*screen, 5, 2, "\x81");
        Present(*screen);
        EXPECT_EQ(screen->terminal.rows[2][5], U'?') << "a lone lead byte, until its trail comes";
        Write(*screen, 6, 2, "\x9c");
        Present(*screen);
        EXPECT_EQ(screen->terminal.rows[2][5], Hero);
        EXPECT_EQ(screen->terminal.rows[2][6], wide ? Right_Half : U' ');
        Write(*screen, 7, 2, "A");
        Present(*screen);
        EXPECT_EQ(screen->terminal.rows[2][7], U'A') << "the next character stands on its own column";
        EXPECT_TRUE(screen->terminal.errors.empty()) << screen->terminal.errors.front();
    }
}

TEST(Screen_Renderer, Every_Double_Byte_Character_Covers_Two_Columns_In_Either_Width) {
    const platform::Glyph_Table& glyphs = drawing::Utf8_Glyphs();
    for (bool wide : {false, true}) {
        auto screen = Make_Screen(80, 25, wide);
        int row = 0;
        int column = 0;
        int checked = 0;
        auto check_frame = [&]() {
            Present(*screen);
            ASSERT_TRUE(screen->terminal.errors.empty()) << screen->terminal.errors.front();
            for (int y = 0; y < row || (y == row && column > 0); ++y) {
                for (int x = 0; x + 1 < 60; x += 2) {
                    const auto lead = screen->model.cells[y][x];
                    const auto trail = screen->model.cells[y][x + 1];
                    if (lead == ' ') continue;
                    const auto code = static_cast<platform::Cell_Code>(lead << 8 | trail);
                    ASSERT_EQ(screen->terminal.rows[y][x], drawing::Code_Point(platform::Glyph_Of(glyphs, code)))
                        << std::hex << code;
                    ++checked;
                }
                EXPECT_EQ(screen->terminal.rows[y][60], U'|') << "row " << y;
            }
            for (int y = 0; y < 20; ++y) Write(*screen, 0, y, std::string(61, ' '));
            Present(*screen);
            row = 0;
            column = 0;
        };
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!platform::Is_Cp932_Lead(static_cast<uint8_t>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
                if (platform::Glyph_Of(glyphs, static_cast<platform::Cell_Code>(lead << 8 | trail)) == "?") continue;
                Write(*screen, column, row, pair);
                column += 2;
                if (column == 60) {
                    Write(*screen, 60, row, "|");
                    column = 0;
                    if (++row == 20) check_frame();
                }
            }
        }
        if (column > 0) Write(*screen, 60, row, "|");
        check_frame();
        EXPECT_GT(checked, 7000);
    }
}

// A double-byte character covers two columns, the second blank or the wide character's right half; a
// byte that is no character shows as "?".
TEST(Screen_Renderer, Characters_And_Placeholders_Take_Their_Columns_In_Either_Width) {
    const struct { std::string bytes; std::u32string shown; } cases[] = {
        {"\x81\x9c\x81\xa1" "AB", U"\u25cf \u25a0 AB"},
        {"\x81 \xff\x80\xa0\xfd\xfe\x1b\x07" "A", U"? ???????A "},
    };
    for (bool wide : {false, true}) {
        for (const auto& c : cases) {
            auto screen = Make_Screen(80, 25, wide);
            Write(*screen, 8, 3, c.bytes);
            Present(*screen);
            std::u32string row = screen->terminal.rows[3].substr(8, c.shown.size());
            std::replace(row.begin(), row.end(), Right_Half, U' ');
            EXPECT_EQ(row, c.shown) << (wide ? "wide" : "narrow");
        }
    }
}

// The renderer's own sequences are the only ESC bytes, and no other byte
// below 0x20 is ever sent, whatever the model holds.
TEST(Screen_Renderer, No_Byte_Of_The_Data_Becomes_A_Terminal_Command) {
    auto screen = Make_Screen(80, 25, false);
    uint32_t state = 99;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 60; ++x) {
            state = state * 1103515245u + 12345u;
            Write(*screen, x, y, std::string(1, static_cast<char>(state >> 16)));
        }
    }
    Write(*screen, 0, 0, "\x1b[2J\x1b]0;title\x07\x1b" "c");
    const std::string bytes = Present(*screen);
    EXPECT_TRUE(screen->terminal.errors.empty()) << screen->terminal.errors.front();
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        if (byte == 0x1B) {
            ASSERT_LT(i + 1, bytes.size());
            EXPECT_EQ(bytes[i + 1], '[');
        } else {
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7F) << "byte " << int(byte) << " at " << i;
        }
    }
}

TEST(Screen_Renderer, Sending_Only_Changes_Gives_The_Same_Screen_As_Drawing_Anew) {
    const std::string alphabet = "\x81\x9c\xa1\x94\x40\x82\xa0\xe0\x9f\xfc\x85\xb1 AB\x1b\xff\n";
    const auto alphabet_size = static_cast<uint32_t>(alphabet.size());
    for (bool wide : {false, true}) {
        auto screen = Make_Screen(70, 24, wide);
        uint32_t state = wide ? 7 : 8;
        auto next = [&state](uint32_t bound) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % bound;
        };
        for (int round = 0; round < 400; ++round) {
            for (uint32_t writes = next(6); writes > 0; --writes) {
                std::string bytes;
                for (uint32_t n = 1 + next(4); n > 0; --n) bytes += alphabet[next(alphabet_size)];
                Write(*screen, static_cast<int>(next(74)), static_cast<int>(next(26)), bytes);
            }
            Present(*screen);
            ASSERT_TRUE(screen->terminal.errors.empty()) << screen->terminal.errors.front();
            if (round % 40 == 39) {
                auto fresh = Fresh_Copy(*screen);
                ASSERT_EQ(screen->terminal.rows, fresh->terminal.rows) << "round " << round << (wide ? " wide" : "");
            }
        }
    }
}

TEST(Screen_Renderer, Nothing_Is_Written_Past_The_Right_Edge_Or_The_Bottom) {
    for (bool wide : {false, true}) {
        auto screen = Make_Screen(60, 22, wide);
        Write(*screen, 57, 0, "ABCDEF");
        Write(*screen, 58, 1, "\x81\x9c\x81\x9c");  // the second one would need columns 60 and 61
        Write(*screen, 59, 2, "\x81\x9c");          // half of it would show
        Write(*screen, 0, 30, "below the terminal");
        Present(*screen);
        EXPECT_TRUE(screen->terminal.errors.empty()) << screen->terminal.errors.front();
        EXPECT_EQ(screen->terminal.rows[0].substr(55), U"  ABC");
        EXPECT_EQ(screen->terminal.rows[1][58], Hero);
        EXPECT_EQ(screen->terminal.rows[2][59], U' ');
        EXPECT_EQ(screen->terminal.rows[3].substr(0, 5), U"     ") << "nothing wrapped onto the next row";
        // Once the terminal is larger, all of it shows.
        platform::View_Resize(screen->view, 80, 40);
        screen->terminal = test_terminal::Make_Terminal(80, 40, wide);
        Present(*screen);
        EXPECT_EQ(screen->terminal.rows[0].substr(57, 6), U"ABCDEF");
        EXPECT_EQ(screen->terminal.rows[2][59], Hero);
        EXPECT_EQ(screen->terminal.rows[30].substr(0, 5), U"below");
    }
}

void Draw_Bordered_Field(Screen& screen) {
    // Walls of ＃ around a 54 x 19 field, drawn a byte at a time as the game
    // draws its map, then the hero and the pawn.
    for (int y = 0; y < 19; ++y) {
        for (int x = 0; x < 52; x += 2) {
            if (y == 0 || y == 18 || x == 0 || x == 50) Write(screen, x, y, "\x81");
            if (y == 0 || y == 18 || x == 0 || x == 50) Write(screen, x + 1, y, "\x94");
        }
    }
    Write(screen, 20, 8, "\x81\x9c\n");
    Write(screen, 8, 3, "\x95\xe0\n");
}

TEST(Screen_Renderer, A_Terminal_Too_Small_Shows_One_Line_Until_The_Field_Fits) {
    auto screen = Make_Screen(40, 10, false);
    Draw_Bordered_Field(*screen);
    Present(*screen);
    const std::u32string first = screen->terminal.rows[0];
    EXPECT_EQ(first.substr(0, 33), U"Too small: need 54x20, have 40x10");
    for (int y = 1; y < 10; ++y) EXPECT_EQ(screen->terminal.rows[y], std::u32string(40, U' '));
    EXPECT_EQ(Present(*screen), "") << "nothing more while nothing changes";
    // Every new size is told, one that changes only the height too.
    for (auto [width, height, told] : {std::tuple{40, 12, U"Too small: need 54x20, have 40x12"},
                                        std::tuple{53, 30, U"Too small: need 54x20, have 53x30"}}) {
        platform::View_Resize(screen->view, width, height);
        screen->terminal = test_terminal::Make_Terminal(width, height, false);
        Present(*screen);
        EXPECT_EQ(screen->terminal.rows[0].substr(0, 33), told);
    }

    platform::View_Resize(screen->view, 54, 20);
    screen->terminal = test_terminal::Make_Terminal(54, 20, false);
    Present(*screen);
    EXPECT_TRUE(screen->terminal.errors.empty()) << screen->terminal.errors.front();
    EXPECT_EQ(screen->terminal.rows, Fresh_Copy(*screen)->terminal.rows) << "the field is back whole";
    EXPECT_EQ(screen->terminal.rows[8][20], Hero);
}

TEST(Screen_Renderer, The_Field_Costs_Little_And_A_Step_Less) {
    auto screen = Make_Screen(80, 25, false);
    Draw_Bordered_Field(*screen);
    const size_t field_bytes = Present(*screen).size();
    EXPECT_LT(field_bytes, 3000u);
    Write(*screen, 20, 8, "  \n");
    Write(*screen, 22, 8, "\x81\x9c\n");
    const size_t step_bytes = Present(*screen).size();
    EXPECT_LT(step_bytes, 30u);
    EXPECT_EQ(screen->terminal.rows[8][22], Hero);
    EXPECT_EQ(screen->terminal.rows[8][20], U' ');
    EXPECT_EQ(Present(*screen), "") << "an unchanged model sends nothing";
}

// What does not fit the output buffer waits for the next write, whole: a cut
// sequence or character would reach the terminal as garbage.
TEST(Screen_Renderer, A_Frame_Larger_Than_The_Buffer_Goes_Out_In_Whole_Pieces) {
    platform::Output_Bytes out;
    out.length = platform::Output_Bytes::Capacity - 2;
    platform::Append(out, "abc");
    EXPECT_EQ(out.length, platform::Output_Bytes::Capacity - 2) << "a text the buffer can take only in part";
    platform::Append(out, "ab");
    EXPECT_EQ(out.length, platform::Output_Bytes::Capacity);

    // The whole model, in characters of one and of three bytes, each double
    // one placed anew: more than the buffer holds, in pieces of every length.
    auto screen = Make_Screen(Screen_Model::Columns, Screen_Model::Rows, false);
    std::vector<std::u32string> expected;
    uint32_t state = 7;
    for (int y = 0; y < Screen_Model::Rows; ++y) {
        std::string row;
        expected.emplace_back();
        for (int x = 0; x < Screen_Model::Columns / 2; ++x) {
            state = state * 1103515245u + 12345u;
            const bool hero = (state >> 16) % 8 != 0;
            row += hero ? "\x81\x9c" : "AB";
            expected.back() += hero ? std::u32string{Hero, U' '} : U"AB";
        }
        Write(*screen, 0, y, row);
    }
    const std::string sent = Present(*screen);
    EXPECT_GT(sent.size(), platform::Output_Bytes::Capacity) << "the frame must not fit, or the test proves nothing";
    EXPECT_TRUE(screen->terminal.errors.empty()) << screen->terminal.errors.front();
    for (int y = 0; y < Screen_Model::Rows; ++y) ASSERT_EQ(screen->terminal.rows[y], expected[y]) << "row " << y;
}

TEST(Screen_Renderer, After_A_Suspension_Everything_Is_Drawn_Again) {
    auto screen = Make_Screen(80, 25, true);
    Draw_Bordered_Field(*screen);
    Present(*screen);
    screen->terminal = test_terminal::Make_Terminal(80, 25, true);  // the shell drew over it
    platform::View_Invalidate(screen->view);
    Present(*screen);
    EXPECT_EQ(screen->terminal.rows, Fresh_Copy(*screen)->terminal.rows);
}

}  // namespace
