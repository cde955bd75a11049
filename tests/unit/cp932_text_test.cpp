// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Code page 932 as the terminal gets it: the converted characters, the
// reading of a row into characters of one or two columns, and the plain
// text of the missing-file notice; and the data checker's paths, which are
// the user's own bytes, for a terminal and for JSON.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cp932_text.h"
#include "drawing.h"
#include "json_writer.h"
#include "unicode_cp932.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/core/plain_text.h"
#include "platform/posix/glyph_conversion.h"

namespace {

using platform::Cell_Code;
using platform::Cell_Placeholder;
using platform::Cell_Second_Half;
using platform::Glyph_Of;
using platform::Glyph_Table;

std::string Glyph(Cell_Code code) { return std::string(Glyph_Of(drawing::Utf8_Glyphs(), code)); }

TEST(Cp932_Glyphs, Convert_The_Game_Characters_To_Utf8) {
    const std::vector<std::pair<Cell_Code, std::string>> cases = {
        {0x819C, "\xe2\x97\x8f"},  // ● the hero
        {0x81A1, "\xe2\x96\xa0"},  // ■
        {0x8194, "\xef\xbc\x83"},  // ＃ the sample map's wall
        {0x95E0, "\xe6\xad\xa9"},  // 歩 the pawn
        {0x8140, "\xe3\x80\x80"},  // the ideographic space
        {'A', "A"},
        {' ', " "},
        {0xB1, "\xef\xbd\xb1"},  // ｱ half-width katakana, one byte and one column
    };
    for (const auto& [code, utf8] : cases) EXPECT_EQ(Glyph(code), utf8) << std::hex << code;
}

// Each locale's terminal gets its own character set, and never a byte from
// 0x80 to 0x9F that it would read as a control code (0x9B is CSI, 0x9D OSC).
TEST(Cp932_Glyphs, Each_Locale_Gets_Its_Own_Character_Set_And_No_C1_Control) {
    const struct {
        const char* code_set;
        const char* hero;  // ●
        const char* kana;  // ｱ
        platform::Input_Encoding keys;
        bool allows_c1_range;  // bytes 0x80..0x9F are characters' own bytes there
    } cases[] = {
        {"ANSI_X3.4-1968", "\xe2\x97\x8f", "\xef\xbd\xb1", platform::Input_Encoding::Utf8, true},
        {"UTF-8", "\xe2\x97\x8f", "\xef\xbd\xb1", platform::Input_Encoding::Utf8, true},
        {"SHIFT_JIS", "\x81\x9c", "\xb1", platform::Input_Encoding::Shift_Jis, true},
        {"EUC-JP", "\xa1\xfc", "\x8e\xb1", platform::Input_Encoding::Utf8, false},
        {"ISO-8859-1", "?", "?", platform::Input_Encoding::Utf8, false},
        {"KOI8-R", "?", "?", platform::Input_Encoding::Utf8, false},
        {"NO-SUCH-SET", "?", "?", platform::Input_Encoding::Utf8, false},
    };
    auto glyphs = std::make_unique<Glyph_Table>();
    for (const auto& c : cases) {
        EXPECT_EQ(posix_terminal::Load_Glyphs_For(c.code_set, *glyphs), c.keys) << c.code_set;
        EXPECT_EQ(Glyph_Of(*glyphs, 0x819C), c.hero) << c.code_set;
        EXPECT_EQ(Glyph_Of(*glyphs, 0xB1), c.kana) << c.code_set;
        EXPECT_EQ(Glyph_Of(*glyphs, 'A'), "A") << c.code_set;
        if (c.allows_c1_range) continue;
        int controls = 0;
        const auto count = [&controls](const platform::Glyph_Bytes& glyph) {
            // EUC's single shifts SS2 and SS3 start characters of their own.
            const bool shift = glyph.length > 0 && (glyph.bytes[0] == 0x8E || glyph.bytes[0] == 0x8F);
            for (int i = shift ? 1 : 0; i < glyph.length; ++i) controls += glyph.bytes[i] >= 0x80 && glyph.bytes[i] <= 0x9F;
        };
        for (const auto& glyph : glyphs->singles) count(glyph);
        for (const auto& row : glyphs->pairs) {
            for (const auto& glyph : row) count(glyph);
        }
        EXPECT_EQ(controls, 0) << c.code_set;
    }
}

TEST(Cp932_Glyphs, Bytes_That_Are_No_Character_Have_No_Glyph) {
    const Glyph_Table& glyphs = drawing::Utf8_Glyphs();
    std::vector<int> without;
    for (int byte = 0; byte < 256; ++byte) {
        if (glyphs.singles[static_cast<size_t>(byte)].length == 0) without.push_back(byte);
    }
    std::vector<int> expected;
    for (int byte = 0; byte < 0x20; ++byte) expected.push_back(byte);
    expected.push_back(0x7F);
    for (int byte = 0x80; byte <= 0xA0; ++byte) expected.push_back(byte);  // 0x81..0x9F: lead bytes
    for (int byte = 0xE0; byte <= 0xFF; ++byte) expected.push_back(byte);  // lead bytes, 0xFD..0xFF
    EXPECT_EQ(without, expected);
    EXPECT_EQ(Glyph(0x8540), "?") << "an unassigned pair";
    EXPECT_EQ(Glyph(0x1B), "?");
    EXPECT_EQ(Glyph(0xFF), "?");
}

// A converter that answers everything with what it is given here.
std::string converter_answer;
int Answer_With(const uint8_t*, int, uint8_t* out, int capacity) {
    if (static_cast<int>(converter_answer.size()) > capacity) return -1;
    for (size_t i = 0; i < converter_answer.size(); ++i) out[i] = static_cast<uint8_t>(converter_answer[i]);
    return static_cast<int>(converter_answer.size());
}

TEST(Cp932_Glyphs, A_Conversion_That_Would_Send_A_Control_Byte_Is_Refused) {
    auto glyphs = std::make_unique<Glyph_Table>();
    using platform::Terminal_Charset;
    // Each range a terminal reads as control codes, at both its edges and
    // beside them: C0, DEL, and C1 as the terminal's character set spells it.
    const struct {
        std::string answer;
        Terminal_Charset charset;
        bool refused;
    } cases[] = {
        {"\x1b", Terminal_Charset::Utf8, true},
        {"a\x1b", Terminal_Charset::Utf8, true},
        {"\x07", Terminal_Charset::Utf8, true},
        {std::string(1, '\0'), Terminal_Charset::Utf8, true},
        {"\x1f", Terminal_Charset::Utf8, true},
        {" ", Terminal_Charset::Utf8, false},
        {"~", Terminal_Charset::Utf8, false},
        {"\x7f", Terminal_Charset::Utf8, true},
        {"\xc2\x80", Terminal_Charset::Utf8, true},
        {"\xc2\x9b", Terminal_Charset::Utf8, true},
        {"\xc2\x9f", Terminal_Charset::Utf8, true},
        {"a\xc2\x85", Terminal_Charset::Utf8, true},
        {"\xc2\xa0", Terminal_Charset::Utf8, false},  // no-break space, just past C1
        {"\xc3\x80", Terminal_Charset::Utf8, false},  // a continuation byte 0x80 after another lead
        {"\xe2\x80\x9f", Terminal_Charset::Utf8, false},
        {"\x80", Terminal_Charset::Other, true},
        {"\x9f", Terminal_Charset::Other, true},
        {"\xa0", Terminal_Charset::Other, false},
        {"\x7f", Terminal_Charset::Other, true},
        {"\xa1\x9f", Terminal_Charset::Euc, true},
        {"\xa1\x80", Terminal_Charset::Euc, true},
        {"\xa1\xa1", Terminal_Charset::Euc, false},
        {"\x8e\xb1", Terminal_Charset::Euc, false},  // single shift 2 starting a character
        {"\x8f\xa2\xaf", Terminal_Charset::Euc, false},  // single shift 3
        {"\xa1\x8e", Terminal_Charset::Euc, true},  // SS2 inside a character is a control
        {"\x81\x9c", Terminal_Charset::Shift_Jis, false},  // trail bytes there are no controls
        {"\x81\x7f", Terminal_Charset::Shift_Jis, true},
    };
    for (const auto& c : cases) {
        converter_answer = c.answer;
        platform::Fill_Glyph_Table(*glyphs, Answer_With, c.charset);
        const std::string expected = c.refused ? "?" : c.answer;
        EXPECT_EQ(Glyph_Of(*glyphs, 'A'), expected)
            << "answer " << testing::PrintToString(converter_answer) << ", set " << static_cast<int>(c.charset);
        EXPECT_EQ(Glyph_Of(*glyphs, 0x819C), expected);
    }
    converter_answer = "\xe2\x97\x8f";
    platform::Fill_Glyph_Table(*glyphs, Answer_With);
    EXPECT_EQ(Glyph_Of(*glyphs, 0x819C), "\xe2\x97\x8f");
    EXPECT_EQ(Glyph_Of(*glyphs, 0xFF), "?") << "0xFF stays a placeholder whatever the converter says";
}

TEST(Cp932_Glyphs, Without_A_Converter_Only_Ascii_Is_Drawn) {
    auto glyphs = std::make_unique<Glyph_Table>();
    platform::Fill_Glyph_Table(*glyphs, nullptr);
    EXPECT_EQ(Glyph_Of(*glyphs, 'A'), "A");
    EXPECT_EQ(Glyph_Of(*glyphs, 0xB1), "?");
    EXPECT_EQ(Glyph_Of(*glyphs, 0x819C), "?");
}

std::vector<Cell_Code> Layout(const std::string& bytes) {
    std::vector<Cell_Code> codes(bytes.size());
    platform::Layout_Row(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()),
                         drawing::Utf8_Glyphs(), codes.data());
    return codes;
}

TEST(Cp932_Glyphs, A_Row_Is_Read_Left_To_Right_Into_Characters) {
    constexpr Cell_Code P = Cell_Placeholder;
    constexpr Cell_Code S = Cell_Second_Half;
    const std::vector<std::pair<std::string, std::vector<Cell_Code>>> cases = {
        {"\x81\x9c", {0x819C, S}},
        {"A\x81\x9c" "B", {'A', 0x819C, S, 'B'}},
        {"\x81\x81\x9c", {0x8181, S, P}},  // the second 0x81 is a trail byte; 0x9C is left alone
        {"\x81 ", {P, ' '}},              // a lead byte before a byte that cannot follow it
        {"\x81", {P}},                    // a lead byte at the end of the row
        {"\x85\x40", {P, P}},             // a pair with no character: two placeholders
        {"\xff\x80\xa0\xfd\xfe", {P, P, P, P, P}},
        {"\x1b[2J", {P, '[', '2', 'J'}},
        {"\n\t\r\x7f", {P, P, P, P}},
        {"\xb1\xdf", {0xB1, 0xDF}},
    };
    for (const auto& [bytes, codes] : cases) EXPECT_EQ(Layout(bytes), codes) << testing::PrintToString(bytes);
}

TEST(Cp932_Glyphs, Every_Double_Byte_Character_Takes_Two_Columns) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!platform::Is_Cp932_Lead(static_cast<uint8_t>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string bytes = {static_cast<char>(lead), static_cast<char>(trail), 'X'};
            const std::vector<Cell_Code> codes = Layout(bytes);
            if (codes[0] == Cell_Placeholder) {
                EXPECT_EQ(codes[1], Cell_Placeholder) << std::hex << lead << " " << trail;
            } else {
                ++characters;
                EXPECT_EQ(codes[1], Cell_Second_Half) << std::hex << lead << " " << trail;
            }
            EXPECT_EQ(codes[2], 'X') << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(characters, 7000) << "code page 932 has some 7900 double-byte characters";
}

// ---- Plain text -------------------------------------------------------------

std::string Plain(const std::vector<std::string>& writes, bool finish) {
    const platform::Screen_Operations& operations = drawing::Terminal_Operations(drawing::Utf8_Glyphs());
    platform::Plain_Text text;
    for (const std::string& write : writes) {
        for (char c : write) platform::Plain_Put(text, static_cast<uint8_t>(c), drawing::Utf8_Glyphs(), operations);
    }
    if (finish) platform::Plain_Finish(text, operations);
    operations.send();
    return drawing::Take_Sent();
}

TEST(Plain_Text, Lines_Are_Converted_With_Line_Ends_A_Terminal_Shows) {
    EXPECT_EQ(Plain({" 30 \x95\x62\n"}, true), " 30 \xe7\xa7\x92\r\n");
    EXPECT_EQ(Plain({"\x81", "\x9c", "\n"}, true), "\xe2\x97\x8f\r\n") << "lead and trail from two writes";
    EXPECT_EQ(Plain({"\x81\n"}, true), "?\r\n") << "a lone lead byte";
    EXPECT_EQ(Plain({"A\x81"}, true), "A?") << "a lead byte held at the end";
    EXPECT_EQ(Plain({"A\x81"}, false), "A") << "held until its trail byte could come";
    EXPECT_EQ(Plain({"\x1b[2J\x07\xff"}, true), "?[2J??");
}

TEST(Plain_Text, No_Control_Byte_Of_The_Data_Reaches_The_Terminal) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    const std::string sent = Plain({all, all}, true);
    for (size_t i = 0; i < sent.size(); ++i) {
        const auto byte = static_cast<uint8_t>(sent[i]);
        if (byte == '\r') {
            ASSERT_LT(i + 1, sent.size());
            EXPECT_EQ(sent[i + 1], '\n') << "a carriage return only as part of a line end";
        } else if (byte == '\n') {
            EXPECT_EQ(sent[i - 1], '\r');
        } else {
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7F) << "byte " << int(byte) << " at " << i;
        }
    }
}

// ---- Paths -------------------------------------------------------------------

TEST(Checker_Paths, No_Control_Byte_Of_A_Path_Reaches_The_Terminal_In_Any_Character_Set) {
    using platform::Terminal_Charset;
    constexpr Terminal_Charset U = Terminal_Charset::Utf8, S = Terminal_Charset::Shift_Jis,
                               E = Terminal_Charset::Euc, O = Terminal_Charset::Other;
    const struct {
        std::string path;
        Terminal_Charset charset;
        std::string shown;
    } cases[] = {
        {"\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF/a b", U, "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF/a b"},  // データ
        {"a\x1B]0;x\x07\nb\r\t\x7F\x01", U, "a?]0;x??b????"},
        {"\xC2\x80|\xC2\x9B|\xC2\x9F|\xC2\xA0", U, "?|?|?|\xC2\xA0"},  // U+0080..U+009F are C1 controls
        {"\x9B|\xFF|\xC0\x80|\xE3\x83|\xED\xA0\x80|\xF4\x90\x80\x80", U, "?|?|??|??|???|????"},  // no character
        {"\xF0\x9F\x98\x80", U, "\xF0\x9F\x98\x80"},  // four bytes, past the BMP
        {"\x83\x66\x81\x5B\x83\x5E|\x9B|\x1B", S, "\x83\x66\x81\x5B\x83\x5E|\x9B|?"},  // 0x80..0x9F lead bytes
        {"\xA5\xC7|\x8E\xB1|\x8F\xB0\xA1|\x9B|\x85|\x1B", E, "\xA5\xC7|\x8E\xB1|\x8F\xB0\xA1|?|?|?"},  // SS2, SS3
        {"\xE9|\x9B|\x80|\x1B", O, "\xE9|?|?|?"},
    };
    for (const auto& c : cases) EXPECT_EQ(Path_Shown(c.path, c.charset), c.shown) << testing::PrintToString(c.path);
}

TEST(Checker_Paths, Json_Gets_Utf8_With_Each_Byte_That_Is_Not_Replaced) {
    const struct {
        std::string path;
        std::string json;
        bool utf8;
    } cases[] = {
        {"\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF", "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF", true},
        {"a\"b\\c", "a\\\"b\\\\c", true},
        {"\x1B\x07\n\x7F", "\\u001B\\u0007\\u000A\\u007F", true},
        {"\xC2\x9B", "\\u009B", true},  // valid, but a terminal showing the JSON would read it as CSI
        {"bad\xFF", "bad\xEF\xBF\xBD", false},
        {"\x83\x66", "\xEF\xBF\xBD\x66", false},  // デ in code page 932
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", false},  // an overlong '/'
        {"\xED\xB0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},  // a surrogate
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Json_Escaped(c.path), c.json) << testing::PrintToString(c.path);
        EXPECT_EQ(Is_Utf8(c.path), c.utf8) << testing::PrintToString(c.path);
    }
    // A name of the data, code page 932, goes the same way: its backslash and
    // quote escaped, and ソ, whose trail byte is 0x5C, left whole.
    EXPECT_EQ(Json_Escaped(Shown("a\\b\"\x83\x5C", drawing::Utf8_Glyphs())), "a\\\\b\\\"\xE3\x82\xBD");
}

// Text written in UTF-8 goes into code page 932 as Windows writes it: where
// code page 932 has two codes for a character, the JIS X 0208 one, then the
// NEC row, then IBM's over the NEC-selected IBM rows.
TEST(Checker_Paths, Utf8_Goes_Into_Code_Page_932_As_Windows_Writes_It) {
    const Unicode_To_Cp932 table = Unicode_Table_From(drawing::Utf8_Glyphs());
    const struct {
        std::string utf8;
        std::string cp932;
    } cases[] = {
        {"\xE5\x8B\x87\xE8\x80\x85 \\~\r\n", "\x97\x45\x8E\xD2 \\~\r\n"},  // 勇者, ASCII as it is
        {"\xEF\xBF\xA2", "\x81\xCA"},  // ¬, also 0xEE 0xF9 and 0xFA 0x54
        {"\xE2\x88\xB5", "\x81\xE6"},  // ∵, also 0x87 0x9A and 0xFA 0x5B
        {"\xE2\x85\xA0", "\x87\x54"},  // Ⅰ, also 0xFA 0x4A
        {"\xE7\xBA\x8A", "\xFA\x5C"},  // 纊, also 0xED 0x40
        {"\xE3\x80\x9C", "\x81\x60"},  // 〜 as JIS writes it
        {"\xEF\xBD\xB1", "\xB1"},       // ｱ, one byte
        {"\xE2\x93\x90x", "??x"},        // ⓐ has none: two columns of placeholder
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp932_From_Utf8(c.utf8, table).bytes, c.cp932) << c.utf8;
    }
}

}  // namespace
