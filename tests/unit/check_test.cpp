// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// console-rpg-check: what it finds in small data folders, each a clean one
// with one file changed, as the exact line it prints; and its rules sheet
// against rows worked out by hand.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "data/status_files.h"
#include "cp932_text.h"
#include "data_check.h"
#include "data_fix.h"
#include "drawing.h"
#include "report.h"
#include "rules_sheet.h"
#include "unicode_cp932.h"
#include "work_dir.h"

namespace {

// Three named monsters and skills are enough: the rest share the pawn's line.
constexpr const char* Clean_Hero = "Hero 100 20 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 30 8\n";
constexpr const char* Clean_Monster = "Pawn 1 \x95\xE0 0 30 8 6 4 3 2 0\n";  // 歩
constexpr const char* Clean_Skill = "Cut 1 3 2\n";

// Half-width walls round an open field: 19 lines of 53 bytes and a line feed.
std::string Map_Line(int row) {
    if (row == 0 || row == Field_Rows - 1) return std::string(53, '#');
    return "##" + std::string(50, ' ') + "#";
}

// The clean map with lines (0-based) replaced.
std::string Map_With_Lines(const std::vector<std::pair<int, std::string>>& changes) {
    std::string map;
    for (int row = 0; row < Field_Rows; ++row) {
        std::string line = Map_Line(row);
        for (const auto& [changed, text] : changes) {
            if (changed == row) line = text;
        }
        map += line + "\n";
    }
    return map;
}

std::string Map_With_Line(int line, const std::string& text) { return Map_With_Lines({{line, text}}); }

// The clean map with bytes written over a line from a column on.
std::string Map_With(int line, int column, const std::string& bytes) {
    return Map_With_Line(line, Map_Line(line).replace(static_cast<size_t>(column), bytes.size(), bytes));
}

class Check : public Work_Dir_Test {
protected:
    void SetUp() override {
        Work_Dir_Test::SetUp();
        Write_Clean_Data();
    }

    static void Write_Clean_Data() {
        for (const auto& entry : std::filesystem::directory_iterator(".")) std::filesystem::remove_all(entry.path());
        Write_File(Hero_File_Name, Clean_Hero);
        for (const char* name : Monster_Files) Write_File(name, Clean_Monster);
        for (const char* name : Skill_Files) Write_File(name, Clean_Skill);
        Write_File("test.txt", Map_With_Line(-1, ""));
    }

    static std::vector<std::string> Report_Lines(const Check_Result& result) {
        std::istringstream text(Text_Report(result, drawing::Utf8_Glyphs(), false));
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
};

constexpr const char* Missing = "(missing)";
constexpr const char* Directory = "(a directory)";

struct Finding_Case {
    const char* file;
    std::string content;  // or Missing, or Directory
    std::string line;     // what the checker must print
    int status;
    // More files changed first, for findings that depend on another file.
    std::vector<std::pair<const char*, std::string>> more = {};
    const char* absent = nullptr;  // what the report must not hold: a cascade cut
};

std::string Repeated(const std::string& text, int count) {
    std::string repeated;
    for (int i = 0; i < count; ++i) repeated += text;
    return repeated;
}

// The clean hero (name, then 26 numbers) with words replaced: 1 is hp,
// 25 the start column x, 26 the row y.
std::string Hero_With(const std::vector<std::pair<size_t, std::string>>& changes) {
    std::istringstream clean(Clean_Hero);
    std::vector<std::string> words;
    for (std::string word; clean >> word;) words.push_back(word);
    for (const auto& [word, text] : changes) words.at(word) = text;
    std::string hero;
    for (const std::string& word : words) hero += (hero.empty() ? "" : " ") + word;
    return hero + "\n";
}

std::string Hero_At(int x, int y) { return Hero_With({{25, std::to_string(x)}, {26, std::to_string(y)}}); }

const Finding_Case Finding_Cases[] = {
    // Clean data: notes only.
    {"test.txt", Map_With_Line(-1, ""), "test.txt:9:31: note: from its start, x 30, y 8, the hero can reach 425 places",
     0},
    {"test.txt", Map_With_Line(-1, ""), "test.txt:4:9: note: the pawn can reach the hero's start, x 30, y 8", 0},

    // Files the game cannot open.
    {"Bishop_Status_Info.txt", Missing,
     "Bishop_Status_Info.txt:1:1: error: missing: the game stops here, shows its missing-file notice and ends after 30 "
     "seconds; the files after it, Rook_Status_Info.txt to test.txt, are never read",
     2},
    {"AbsoluteObedience.txt", Directory,
     "AbsoluteObedience.txt:1:1: error: a directory, not a regular file: the game stops here, shows its missing-file "
     "notice and ends after 30 seconds; test.txt is never read",
     2},
    {"test.txt", Missing, "test.txt:1:1: error: missing: the game ends at once, showing nothing", 2},

    // Numbers kept in their field's width.
    {Hero_File_Name, "Hero 70000 20 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 30 8",
     "Hero_Status_Info.txt:1:6: warning: 70000 does not fit hp (-32768 to 32767): the game keeps 4464", 1},
    {Hero_File_Name, "Hero 100\n-1 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 30 8",
     "Hero_Status_Info.txt:2:1: warning: -1 does not fit attack (0 to 65535): the game keeps 65535", 1},
    {Hero_File_Name, "Hero 100 20 15 10 8 12 0 99999999999 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 30 8",
     "Hero_Status_Info.txt:1:26: warning: 99999999999 is past 32 bits: the game reads 1215752191", 1},
    {"Pawn_Status_Info.txt", "Pawn 1 \x95\xE0 0 99999999999 8 6 4 3 2 0",
     "Pawn_Status_Info.txt:1:13: warning: 99999999999 is past 32 bits: the game reads 1215752191, which hp keeps as "
     "-6145",
     1},
    {Hero_File_Name, "Hero 100 20 15 10 8 12 0 -1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 30 8",
     "Hero_Status_Info.txt:1:26: note: -1 is kept in exp as 4294967295, the way the hero save writes values past "
     "2147483647",
     0},
    // Tokens too long to show whole are cut, with their length; a value is read
    // whole however many zeros lead it, and placed however far into the file.
    {Hero_File_Name, "Hero " + std::string(1000, '9') + " 20 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 30 8",
     "Hero_Status_Info.txt:1:6: warning: '9999999999999999...' (1000 bytes) is past 32 bits: the game reads -1", 1},
    {"Pawn_Status_Info.txt", "Pawn 1 \x95\xE0 0 " + std::string(100, '0') + "70000 8 6 4 3 2 0",
     "Pawn_Status_Info.txt:1:13: warning: '0000000000000000...' (105 bytes) does not fit hp (-32768 to 32767): the game "
     "keeps 4464",
     1},
    {"Rook_Status_Info.txt", "Rook" + std::string(70000, '\n') + "1 \x95\xE0 0 70000 8 6 4 3 2 0",
     "Rook_Status_Info.txt:70001:8: warning: 70000 does not fit hp (-32768 to 32767): the game keeps 4464", 1},

    // Where reading stops, and what it leaves.
    {Hero_File_Name, "Hero 100 x 15",
     "Hero_Status_Info.txt:1:10: warning: 'x' is not a number: the game stops reading after 2 of its 27 values, and "
     "leaves attack, defense, stat4, stat5, stat6, rating, exp, level, aux, group3[0..2], group4[0..4], group5[0..5], x "
     "and y at 0",
     1, {}, "cannot hold a space"},  // said only of the value right after a name
    {Hero_File_Name, "Hero " + Repeated("\x83\x41", 300) + " 15",  // アア...: the longest finding there can be
     "Hero_Status_Info.txt:1:6: warning: 'アアアアアアアア...' (600 bytes) is not a number: the game stops reading "
     "after 1 of its 27 values, and leaves hp, attack, defense, stat4, stat5, stat6, rating, exp, level, aux, "
     "group3[0..2], group4[0..4], group5[0..5], x and y at 0",
     1},
    {"Knight_Status_Info.txt", "Pawn 1\r\n\x95\xE0 0 30\r\n",
     "Knight_Status_Info.txt:3:1: warning: the file ends after 5 of its 11 values, and leaves attack, defense, stat4, "
     "stat5, stat6 and post_value at 0",
     1},
    {"Flame.txt", "", "Flame.txt:1:1: warning: the file ends after 0 of its 4 values, and leaves the name empty and "
                      "lead_value, power and penetration at 0",
     1},
    {"SwordCut.txt", "Cut 1 3\x1A 2",
     "SwordCut.txt:1:8: warning: a Ctrl+Z ends the file after 3 of its 4 values, and leaves penetration at 0; the 2 "
     "bytes after it are never read",
     1},
    {"SwordCut.txt", "Cut 1 3 2\n\x1A\n5",
     "SwordCut.txt:2:1: warning: a Ctrl+Z ends the file here: the 2 bytes after it are never read", 1},
    {"SwordCut.txt", "Cut 1 3 2 9 -9\n",
     "SwordCut.txt:1:11: warning: 2 values after the last field, penetration, are never read", 1},

    // Names and glyphs.
    {"HellFlame.txt", "ABCDEFGHIJKLMNOPQR\x92\xB7\x82\xA2 1 3 2",  // 長い, never cut in half
     "HellFlame.txt:1:1: warning: the name 'ABCDEFGHIJKLMNOPQR長い' (22 bytes) is cut to fit its 19: the game keeps "
     "'ABCDEFGHIJKLMNOPQR'",
     1},
    {"Queen_Status_Info.txt", "Q\xFF\x1B 1 \x95\xE0 0 30 8 6 4 3 2 0",
     "Queen_Status_Info.txt:1:2: warning: byte 0xFF in the name 'Q?\?' is no character of code page 932: shown as ?", 1},
    {"Pawn_Status_Info.txt", "Pawn 1 G 0 30 8 6 4 3 2 0",
     "Pawn_Status_Info.txt:1:8: warning: the glyph 'G' is not one full-width character, two bytes of code page 932 as "
     "wide as the hero",
     1},
    {"Rook_Status_Info.txt", "Rook 1 \x95\xE0G 0 30 8 6 4 3 2 0",
     "Rook_Status_Info.txt:1:8: warning: the glyph '歩G' is not one full-width character, two bytes of code page 932 "
     "as wide as the hero",
     1},
    {"King_Status_Info.txt", "\xE7\x8E\x8B 1 \xE6\xAD\xA9 0 30 8 6 4 3 2 0",  // 王 and 歩 in UTF-8
     "King_Status_Info.txt:1:1: warning: this file looks like UTF-8, but the game reads code page 932 (Shift-JIS): "
     "console-rpg-check --fix converts it",
     1, {}, "not one full-width"},  // the glyph's three bytes follow from that


    // The map as read.
    {"test.txt", Map_With_Line(4, std::string(52, '#')),
     "test.txt:5:53: warning: line 5 has 52 bytes before its line end, one short of 53 (as 26 full-width characters "
     "are): every later cell moves 1 to the left; console-rpg-check --fix gives it a space before its line end",
     1, {}, "split across"},
    // Lines one byte short, as 26 full-width characters make them: one finding for them all.
    {"test.txt", Map_With_Lines({{4, std::string(52, '#')}, {6, "##" + std::string(49, ' ') + "#"}}),
     "test.txt:5:53: warning: 2 lines, from line 5 to line 7, have 52 bytes before their line end, one short of 53 (as "
     "26 full-width characters are): each moves every later cell 1 more to the left; console-rpg-check --fix gives "
     "each a space before its line end",
     1, {}, "line 7 has"},
    {"test.txt", Map_With_Line(-1, "").substr(0, 1025),
     "test.txt:19:54: warning: line 19, the last the game reads, has 53 bytes and no line end: the game reads 19 "
     "lines of 53 bytes and a line end each, so the cells after it lie past the map's end and show as ?; "
     "console-rpg-check --fix ends the line",
     1, {}, "the map ends after"},
    // A full-width space is a wall: the hero's start on one follows from that.
    {"test.txt", Map_With(8, 30, "\x81\x40"),
     "test.txt:9:31: warning: a full-width space (bytes 0x81 0x40) is a wall to the game, not open ground, which only "
     "a half-width space is; full-width spaces in the map: 1, the first here; console-rpg-check --fix makes each two "
     "half-width spaces",
     1, {}, "starts on a wall"},
    {"test.txt", Map_With(8, 30, "\x81\x40"),
     "test.txt:9:31: note: warnings on this field left out as they follow from that: 1; console-rpg-check --fix mends "
     "the map, then check it again",
     1},
    // Characters some terminals draw one column wide, in the map and as a glyph.
    {"test.txt", Map_With(1, 2, "\x81\xA1\x81\xA1\x81\x9C"),
     "test.txt:2:3: warning: ■ ●: one column wide in some terminals (xterm without -cjk_width, tmux and GNU screen by "
     "default), leaving a gap beside each; such characters in the map: 3, the first here; ＃ ＊ ＝ ＠ or kanji are two "
     "columns everywhere",
     1},
    {"Pawn_Status_Info.txt", "Pawn 1 \x81\x9C 0 30 8 6 4 3 2 0",
     "Pawn_Status_Info.txt:1:8: warning: the glyph '●' is one column wide in some terminals (xterm without "
     "-cjk_width, tmux and GNU screen by default), leaving a gap beside it: ＃ ＊ ＝ ＠ or a kanji are two columns "
     "everywhere",
     1},
    {"test.txt", Map_With_Line(4, std::string(54, '#')),
     "test.txt:5:55: warning: line 5 has 54 bytes before its line feed, not 53: every later cell moves 1 to the right",
     1},
    {"test.txt", Map_With_Lines({{4, std::string(54, '#')}, {6, std::string(54, '#')}}),
     "test.txt:7:55: warning: line 7 has 54 bytes before its line feed, not 53: every later cell moves 1 to the right "
     "(2 to the right in all)",
     1},
    {"test.txt", Map_With_Lines({{4, std::string(54, '#')}, {6, std::string(50, '#')}}),
     "test.txt:7:51: warning: line 7 has 50 bytes before its line feed, not 53: every later cell moves 3 to the left "
     "(2 to the left in all)",
     1},
    {"test.txt", Map_With_Lines({{4, std::string(52, '#')}, {6, std::string(51, '#')}}),
     "test.txt:7:52: warning: line 7 has 51 bytes before its line feed, not 53: every later cell moves 2 to the left "
     "(3 to the left in all)",
     1},
    {"test.txt", Map_With_Line(1, Map_Line(1) + "\x81\x94"),
     "test.txt:2:54: warning: a full-width character is split across the end of row 1: its first byte is drawn as ? "
     "and its second starts the next row",
     1},
    {"test.txt", Map_With(6, 20, "\x1B"), "test.txt:7:21: warning: control byte 0x1B is a wall drawn as ?", 1},
    // The line under a finding, and a caret under its column: full-width
    // characters are two columns, as they are two bytes.
    {"test.txt", Map_With(6, 0, "\x81\x94\x81\x94\x1B"), " 7 | ＃＃?" + std::string(47, ' ') + "#", 1},
    {"test.txt", Map_With(6, 0, "\x81\x94\x81\x94\x1B"), "   |     ^", 1},
    // Far along a line, what is before the caret is cut, between characters.
    {"test.txt", Map_With_Line(6, Repeated("\x81\x94", 23) + " \x1B#####"),
     " 7 | ..." + Repeated("＃", 20) + " ?#####", 1},
    {"test.txt", Map_With_Line(6, Repeated("\x81\x94", 23) + " \x1B#####"), "   | " + std::string(44, ' ') + "^", 1},
    {"test.txt", Map_With(6, 20, "\xFF\xA0"),
     "test.txt:7:21: warning: byte 0xFF is no character of code page 932: a wall drawn as ? (and 1 more on this line)",
     1},
    {"test.txt", Map_With(6, 20, "\x81#"),
     "test.txt:7:21: warning: byte 0x81 starts a full-width character that has no second byte: a wall drawn as ?", 1},
    {"test.txt", Map_With_Line(-1, "").substr(0, 1000),
     "test.txt:19:29: warning: the map ends after 1000 of the 1026 bytes the game reads: the last 26 cells, from x 28, "
     "y 18 on, block and show as ?",
     1},
    {"test.txt", Map_With_Line(-1, "").substr(0, 540) + "\x1A#",
     "test.txt:11:1: warning: a Ctrl+Z ends the map after 540 of the 1026 bytes the game reads: the last 486 cells, "
     "from x 0, y 10 on, block and show as ?; the 1 byte after it is never read",
     1},
    {"test.txt", Map_With_Line(-1, "") + "more\n",
     "test.txt:20:1: warning: the game reads the map's first 1026 bytes only: the 5 bytes from here on are never read", 1},
    {"test.txt", Map_With(0, 0, "\xEF\xBC\x83"),
     "test.txt:1:1: warning: this file looks like UTF-8, but the game reads code page 932 (Shift-JIS): "
     "console-rpg-check --fix converts it",
     1},
    {"test.txt", Map_With(2, 2, "\xEF\xBC\x83"),
     "test.txt:3:3: note: warnings on this field left out as they follow from that: 1; console-rpg-check --fix mends "
     "the map, then check it again",
     1, {}, "no character of code page 932"},
    {"test.txt", "\xEF\xBB\xBF" + Map_With_Line(-1, ""),
     "test.txt:1:1: warning: the file starts with a UTF-8 byte-order mark (0xEF 0xBB 0xBF): the game reads its 3 bytes "
     "as the first cells, and every later cell moves 3 to the right; save the map without it",
     1, {}, "line 1 has 56 bytes"},

    // Bytes that are no character of code page 932, and a UTF-8 byte-order mark.
    {Hero_File_Name, Hero_With({{0, "\x85\x40\x97\x45\x8E\xD2"}}),  // unassigned, then 勇者
     "Hero_Status_Info.txt:1:1: warning: bytes 0x85 0x40 in the name '??勇者' are no character of code page 932: "
     "shown as ??",
     1},
    {"Flame.txt", "\xFC\x4B\xFC\x4C 1 3 2",  // the last character of code page 932, and one past it
     "Flame.txt:1:3: warning: bytes 0xFC 0x4C in the name '黑?\?' are no character of code page 932: "
     "shown as ??",
     1},
    {"test.txt", Map_With(6, 20, "\xEF\xBB"),
     "test.txt:7:21: warning: bytes 0xEF 0xBB are no character of code page 932: a wall drawn as ??", 1},
    {"test.txt", Map_With(6, 20, "\x85\x40\x1B"),
     "test.txt:7:21: warning: bytes 0x85 0x40 are no character of code page 932: a wall drawn as ?? (and 1 more on "
     "this line)",
     1},
    {Hero_File_Name, "\xEF\xBB\xBF" + Hero_With({{0, "\x97\x45\x8E\xD2"}}),
     "Hero_Status_Info.txt:1:1: warning: the file starts with a UTF-8 byte-order mark (0xEF 0xBB 0xBF): the game reads "
     "it as the start of the name, which shows as '??ｿ勇者'; save the file without it",
     1, {}, "in the name"},

    // The cause, not only what follows from it.
    {Hero_File_Name, "\x83\x86\x83\x45 \x83\x41\x83\x4C\x83\x89 100 20",  // ユウ アキラ
     "Hero_Status_Info.txt:1:6: note: a name cannot hold a space: the game takes 'ユウ' for the whole name and "
     "'アキラ' for hp",
     1},
    {Hero_File_Name, Hero_At(31, 8),
     "Hero_Status_Info.txt:1:60: warning: the hero starts on an odd column, x 31, y 8: every step left or right is two "
     "columns, so it stays on odd columns, half across the map's full-width walls, while the pawn and the map's "
     "full-width characters stand on even ones",
     1, {{"test.txt", Map_With(5, 32, "#")}}, "the hero walks through this wall"},
    {Hero_File_Name, Hero_At(31, 8),
     "test.txt:6:33: note: so the hero walks through 1 wall, the first here: a step up or down tests only the left "
     "cell of the two it moves into",
     1, {{"test.txt", Map_With(5, 32, "#")}}},
    {Hero_File_Name, Hero_At(31, 8),
     "test.txt:4:9: note: so the pawn, which stays on even columns, cannot reach the hero's start, x 31, y 8", 1, {},
     "warning: the pawn cannot reach"},

    // Each side of every limit a number is checked against.
    {Hero_File_Name, Hero_With({{1, "32767"}}), "0 errors, 0 warnings, 2 notes", 0},
    {Hero_File_Name, Hero_With({{1, "32768"}}),
     "Hero_Status_Info.txt:1:6: warning: 32768 does not fit hp (-32768 to 32767): the game keeps -32768", 1},
    {Hero_File_Name, Hero_With({{1, "-32768"}}), "0 errors, 0 warnings, 2 notes", 0},
    {Hero_File_Name, Hero_With({{1, "-32769"}}),
     "Hero_Status_Info.txt:1:6: warning: -32769 does not fit hp (-32768 to 32767): the game keeps 32767", 1},
    {Hero_File_Name, Hero_With({{2, "65535"}, {3, "0"}}), "0 errors, 0 warnings, 2 notes", 0},
    {Hero_File_Name, Hero_With({{2, "65536"}}),
     "Hero_Status_Info.txt:1:10: warning: 65536 does not fit attack (0 to 65535): the game keeps 0", 1},
    {Hero_File_Name, Hero_With({{18, "-0"}, {24, "65535"}}), "0 errors, 0 warnings, 2 notes", 0},
    {Hero_File_Name, Hero_With({{8, "4294967295"}}), "0 errors, 0 warnings, 2 notes", 0},
    {Hero_File_Name, Hero_With({{8, "4294967296"}}),
     "Hero_Status_Info.txt:1:26: warning: 4294967296 is past 32 bits: the game reads 0", 1},
    {Hero_File_Name, Hero_With({{7, "-2147483648"}}),
     "Hero_Status_Info.txt:1:24: note: -2147483648 is kept in rating as 2147483648, the way the hero save writes "
     "values past 2147483647",
     0},
    {Hero_File_Name, Hero_With({{7, "-2147483649"}}),
     "Hero_Status_Info.txt:1:24: warning: -2147483649 does not fit rating (0 to 4294967295): the game keeps 2147483647",
     1},
    {"Pawn_Status_Info.txt", "Pawn 65535 \x95\xE0 0 -32768 65535 6 4 3 2 65535", "0 errors, 0 warnings, 2 notes", 0},
    {"Pawn_Status_Info.txt", "Pawn 1 \x95\xE0 0 30 8 6 4 3 2 65536",
     "Pawn_Status_Info.txt:1:26: warning: 65536 does not fit post_value (0 to 65535): the game keeps 0", 1},
    {"SwordCut.txt", "Cut 1 3 -1", "SwordCut.txt:1:9: warning: -1 does not fit penetration (0 to 65535): the game keeps "
                                   "65535",
     1},
    {Hero_File_Name, Hero_With({{0, std::string(29, 'N')}}), "0 errors, 0 warnings, 2 notes", 0},
    {Hero_File_Name, Hero_With({{0, std::string(30, 'N')}}),
     "Hero_Status_Info.txt:1:1: warning: the name 'NNNNNNNNNNNNNNNNNNNNNNNNNNNNNN' (30 bytes) is cut to fit its "
     "29: the game keeps 'NNNNNNNNNNNNNNNNNNNNNNNNNNNNN'",
     1},
    {"SwordCut.txt", std::string(19, 'S') + " 1 3 2", "0 errors, 0 warnings, 2 notes", 0},
    {"SwordCut.txt", std::string(20, 'S') + " 1 3 2",
     "SwordCut.txt:1:1: warning: the name 'SSSSSSSSSSSSSSSSSSSS' (20 bytes) is cut to fit its 19: the game keeps "
     "'SSSSSSSSSSSSSSSSSSS'",
     1},
    {"SwordCut.txt", "Cut 1 3 2 9\n", "SwordCut.txt:1:11: warning: 1 value after the last field, penetration, is never read",
     1},
    {"SwordCut.txt", "Cut 1 3 2" + Repeated(" 9", 999),
     "SwordCut.txt:1:11: warning: 999 values after the last field, penetration, are never read", 1},
    {"SwordCut.txt", "Cut 1 3 2" + Repeated(" 9", 1000),
     "SwordCut.txt:1:11: warning: at least 1000 values after the last field, penetration, are never read", 1},
    {"SwordCut.txt", "Cut 1 3 2\x1A", "0 errors, 0 warnings, 2 notes", 0},  // nothing after the Ctrl+Z
    {"SwordCut.txt", "Cut 1 3 2\x1A\n", "SwordCut.txt:1:10: warning: a Ctrl+Z ends the file here: the 1 byte after it is "
                                        "never read",
     1},
    {"Pawn_Status_Info.txt", "Pawn 1 \x95\xE0\x95\xE0 0 30 8 6 4 3 2 0",
     "Pawn_Status_Info.txt:1:8: warning: the glyph '歩歩' (4 bytes) is cut to fit its 3: the game keeps '歩'", 1},
    {"test.txt", Map_With_Line(-1, "") + "x",
     "test.txt:20:1: warning: the game reads the map's first 1026 bytes only: the 1 byte from here on is never read", 1},

    // Files found after an earlier one the game cannot open are still checked;
    // what the earlier one means changes what is said of the later ones.
    {Hero_File_Name, Missing, "Pawn_Status_Info.txt:1:13: warning: 70000 does not fit hp (-32768 to 32767): the game "
                              "keeps 4464",
     2, {{"Pawn_Status_Info.txt", "Pawn 1 \x95\xE0 0 70000 8 6 4 3 2 0"}}},
    {Hero_File_Name, Missing, "test.txt:6:32: warning: the pawn walks through this wall: a step up or down tests only "
                              "the left cell of the two it moves into",
     2, {{"test.txt", Map_With(5, 31, "|")}}, "the hero"},  // nothing is said of a hero never read
    {Hero_File_Name, Missing, "test.txt:1:1: error: missing", 2, {{"test.txt", Missing}}},
    {"Rook_Status_Info.txt", Missing, "Rook_Status_Info.txt:1:1: error: missing", 2,
     {{"Bishop_Status_Info.txt", Missing}}},
    {"HellFlame.txt", Missing,
     "HellFlame.txt:1:1: error: missing: the game stops here, shows its missing-file notice and ends after 30 seconds; "
     "the files after it, AbsoluteObedience.txt to test.txt, are never read",
     2, {{"test.txt", Map_With(3, 9, "#")}}},
    {"HellFlame.txt", Missing, "test.txt:4:10: warning: the pawn's fixed start, x 8, y 3, is on a wall", 2,
     {{"test.txt", Map_With(3, 9, "#")}}},

    // The field as played.
    {Hero_File_Name, "Hero 100 20 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 60 8",
     "Hero_Status_Info.txt:1:60: warning: the hero starts outside the field of 54 columns and 19 rows, at x 60, y 8: "
     "every step from there is refused",
     1},
    {Hero_File_Name, "Hero 100 20 15 10 8 12",  // the start never read: x 0, y 0
     "Hero_Status_Info.txt:1:23: warning: the hero starts on a wall at x 0, y 0 (test.txt:1:1)", 1},
    {Hero_File_Name, "Hero 100 20 15 10 8 12", "test.txt:1:1: note: so the hero cannot move from its start, x 0, y 0",
     1, {}, "warning: the hero cannot move"},
    {Hero_File_Name, "Hero 100 20 15 10 8 12", "test.txt:4:9: note: so the pawn cannot reach the hero's start, x 0, y 0",
     1, {}, "warning: the pawn cannot reach"},
    {"test.txt", Map_With(8, 30, "#"), "Hero_Status_Info.txt:1:60: warning: the hero starts on a wall at x 30, y 8 "
                                       "(test.txt:9:31)",
     1},
    {"test.txt",
     Map_With_Lines({{7, std::string(53, '#')}, {8, std::string(30, '#') + "  " + std::string(21, '#')},
                     {9, std::string(53, '#')}}),
     "test.txt:9:31: warning: the hero cannot move from its start, x 30, y 8: every step is blocked", 1},
    {"test.txt", Map_With(3, 9, "#"), "test.txt:4:10: warning: the pawn's fixed start, x 8, y 3, is on a wall", 1},
    // A tab is no space: the game's reading and the checker's walk both take it for a wall.
    {"test.txt", Map_With(8, 32, "\t"), "test.txt:9:33: warning: control byte 0x09 is a wall drawn as ?", 1},
    {"test.txt", Map_With(8, 31, "\t"), "Hero_Status_Info.txt:1:60: warning: the hero starts on a wall at x 30, y 8 "
                                        "(test.txt:9:32)",
     1},
    {"test.txt", Map_With(5, 31, "\t"),
     "test.txt:6:32: warning: the hero and the pawn walk through this wall: a step up or down tests only the left cell "
     "of the two it moves into",
     1},
    {"test.txt",
     Map_With_Lines({{7, std::string(53, '\t')}, {8, std::string(30, '#') + "  \t\t" + std::string(19, '#')},
                     {9, std::string(53, '\t')}}),
     "test.txt:9:31: warning: the hero cannot move from its start, x 30, y 8: every step is blocked", 1},
    // Starts at the field's edges and on either side of them.
    {Hero_File_Name, Hero_At(2, 1), "test.txt:2:3: note: from its start, x 2, y 1, the hero can reach 425 places", 0},
    {Hero_File_Name, Hero_At(50, 17), "test.txt:18:51: note: from its start, x 50, y 17, the hero can reach 425 places",
     0},
    {Hero_File_Name, Hero_At(52, 8),
     "Hero_Status_Info.txt:1:60: warning: the hero starts on a wall at x 52, y 8 (test.txt:9:53)", 1},
    {Hero_File_Name, Hero_At(53, 8),
     "Hero_Status_Info.txt:1:60: warning: the hero starts at x 53, y 8: its right half lies outside the field", 1, {},
     "odd column"},
    {Hero_File_Name, Hero_At(54, 8),
     "Hero_Status_Info.txt:1:60: warning: the hero starts outside the field of 54 columns and 19 rows, at x 54, y 8: "
     "every step from there is refused",
     1},
    {Hero_File_Name, Hero_At(30, 18),
     "Hero_Status_Info.txt:1:60: warning: the hero starts on a wall at x 30, y 18 (test.txt:19:31)", 1},
    {Hero_File_Name, Hero_At(30, 19),
     "Hero_Status_Info.txt:1:60: warning: the hero starts outside the field of 54 columns and 19 rows, at x 30, y 19: "
     "every step from there is refused",
     1},
    {Hero_File_Name, Hero_At(1, 8), "Hero_Status_Info.txt:1:60: warning: the hero starts on a wall at x 1, y 8 "
                                    "(test.txt:9:2)",
     1},
    {"test.txt", Map_With_Line(5, std::string(53, '#')),
     "test.txt:4:9: warning: the pawn cannot reach the hero's start, x 30, y 8", 1},
    {"test.txt", Map_With(5, 31, "|"),
     "test.txt:6:32: warning: the hero and the pawn walk through this wall: a step up or down tests only the left cell "
     "of the two it moves into",
     1},
};

TEST_F(Check, EachFindingIsPrintedWithItsPosition) {
    for (const Finding_Case& c : Finding_Cases) {
        Write_Clean_Data();
        std::vector<std::pair<const char*, std::string>> files = c.more;
        files.emplace_back(c.file, c.content);
        for (const auto& [file, content] : files) {
            std::filesystem::remove(file);
            if (content == Directory) {
                std::filesystem::create_directory(file);
            } else if (content != Missing) {
                Write_File(file, content);
            }
        }
        const Check_Result result = Check_Data("");
        const std::vector<std::string> lines = Report_Lines(result);
        const std::string report = Text_Report(result, drawing::Utf8_Glyphs(), false);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end())
            << "expected: " << c.line << "\nprinted:\n" << report;
        if (c.absent != nullptr) {
            EXPECT_EQ(report.find(c.absent), std::string::npos) << c.line << "\n" << report;
        }
        EXPECT_EQ(Exit_Status(result.findings.list), c.status) << c.line;
        for (const std::string& line : lines) EXPECT_LT(line.size(), 300u) << line;
    }
}

TEST_F(Check, PathsNameTheFolderAndTheFieldIsDrawnAsTheGameDraws) {
    std::filesystem::create_directory("data");
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        if (entry.is_regular_file()) std::filesystem::copy(entry.path(), "data" / entry.path().filename());
    }
    std::filesystem::remove("data/Flame.txt");
    const Check_Result result = Check_Data("data");
    ASSERT_FALSE(result.findings.list.empty());
    EXPECT_EQ(result.findings.list[0].file, (std::filesystem::path("data") / "Flame.txt").string());

    // A path is the user's bytes, not code page 932: shown as it is, every
    // control byte made visible, so that a finding stays one line.
    const std::string odd = "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\x1B]0;x\x07\nb";  // データ ESC ] 0 ; x BEL LF b
    std::filesystem::rename("data", odd);
    Write_File(odd + "/Flame.txt", Clean_Skill);
    Write_File(odd + "/" + Hero_File_Name, "Hero 100 20 15 10 8 12");  // starts at x 0, y 0: on a wall
    const Check_Result odd_result = Check_Data(odd);
    const std::vector<std::string> lines_shown = Report_Lines(odd_result);
    EXPECT_NE(std::find(lines_shown.begin(), lines_shown.end(),
                        "データ?]0;x??b/Hero_Status_Info.txt:1:23: warning: the hero starts on a wall at x 0, y 0 "
                        "(データ?]0;x??b/test.txt:1:1)"),
              lines_shown.end())
        << Text_Report(odd_result, drawing::Utf8_Glyphs(), false);
    const std::string json = Json_Report(odd_result, drawing::Utf8_Glyphs(), false);
    EXPECT_NE(json.find("\"directory\": \"データ\\u001B]0;x\\u0007\\u000Ab\",\n\"directory_is_utf8\": true"),
              std::string::npos)
        << json;
    std::filesystem::rename(odd, "data\xFF");  // not UTF-8
    const std::string not_utf8 = Json_Report(Check_Data("data\xFF"), drawing::Utf8_Glyphs(), false);
    EXPECT_NE(not_utf8.find("\"directory\": \"data\xEF\xBF\xBD\",\n\"directory_is_utf8\": false"), std::string::npos)
        << not_utf8;

    const Check_Result clean = Check_Data("");
    std::istringstream text(Text_Report(clean, drawing::Utf8_Glyphs(), true));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 19u);
    const std::vector<std::string> field(lines.end() - 19, lines.end());
    const auto places = [](int count) {
        std::string dots;
        for (int i = 0; i < count; ++i) dots += ". ";
        return dots;
    };
    // Every even column from 2 to 50 is a place; the line feed in column 53 shows nothing.
    EXPECT_EQ(field[0], std::string(53, '#') + " ");
    EXPECT_EQ(field[3], "##" + places(3) + "歩" + places(21) + "# ");
    // Drawn as ＠, which is two columns wide everywhere, where ● is one
    // column in some terminals and would make its row one column short.
    EXPECT_EQ(field[8], "##" + places(14) + "＠" + places(10) + "# ");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "the field as the game draws it: ＠ the hero (the game draws ●), 歩 the pawn, . where the hero "
                        "can go"),
              lines.end());
}

// ---- A folder as an author with a UTF-8 editor writes it ----------------------

// Twelve status files in UTF-8, the hero's with a byte-order mark and CR LF
// line ends, and a map of 26 full-width characters a line: ■ walls round
// full-width spaces meant as open ground.
std::vector<std::pair<std::string, std::string>> Author_Folder() {
    std::vector<std::pair<std::string, std::string>> files = {
        {Hero_File_Name, "\xEF\xBB\xBF勇者\r\n\r\n100 20 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n30\r\n8\r\n"}};
    for (const char* name : Monster_Files) files.emplace_back(name, "ポーン 1 歩 0 30 8 6 4 3 2 0\n");
    for (const char* name : Skill_Files) files.emplace_back(name, "斬撃 1 3 2\n");
    std::string map;
    for (int row = 0; row < Field_Rows; ++row) {
        map += row == 0 || row == Field_Rows - 1 ? Repeated("■", 26) : "■" + Repeated("　", 24) + "■";
        map += "\n";
    }
    files.emplace_back("test.txt", map);
    return files;
}

const Unicode_To_Cp932& Unicode() {
    static const Unicode_To_Cp932 table = Unicode_Table_From(drawing::Utf8_Glyphs());
    return table;
}

long Count(const std::vector<Finding>& findings, Severity severity) {
    return std::count_if(findings.begin(), findings.end(), [&](const Finding& f) { return f.severity == severity; });
}

TEST_F(Check, AnAuthorsUtf8FolderIsOneFindingACauseAndFixMakesItPlay) {
    const auto files = Author_Folder();
    for (const auto& [name, bytes] : files) Write_File(name, bytes);
    // UTF-8 for the folder, the full-width spaces, the lines one byte short,
    // and ■; the same three in the map saved in code page 932 by hand.
    const Check_Result utf8 = Check_Data("", &Unicode());
    EXPECT_EQ(Count(utf8.findings.list, Severity::Warning), 4) << Text_Report(utf8, drawing::Utf8_Glyphs(), false);
    EXPECT_NE(Text_Report(utf8, drawing::Utf8_Glyphs(), false).find(" 1 | 勇者\n"), std::string::npos)
        << "a line of a UTF-8 file is quoted as its author wrote it";
    EXPECT_NE(Text_Report(utf8, drawing::Utf8_Glyphs(), false).find("rules sheet for the hero '勇者'"), std::string::npos);
    Write_File("test.txt", Cp932_From_Utf8(files.back().second, Unicode()).bytes);
    const Check_Result cp932 = Check_Data("", &Unicode());
    EXPECT_EQ(Count(cp932.findings.list, Severity::Warning), 4) << Text_Report(cp932, drawing::Utf8_Glyphs(), false);
    Write_File("test.txt", files.back().second);

    const Fix_Result dry = Fix_Data("", Unicode(), false);
    EXPECT_EQ(dry.files_changed, 13);
    for (const auto& [name, bytes] : files) EXPECT_EQ(Read_File(name), bytes) << "a dry run writes nothing";

    const Fix_Result fix = Fix_Data("", Unicode(), true);
    ASSERT_FALSE(fix.failed) << Fix_Report(fix, drawing::Utf8_Glyphs(), false);
    EXPECT_EQ(fix.originals_in, "before-fix");
    for (const auto& [name, bytes] : files) EXPECT_EQ(Read_File("before-fix/" + name), bytes);
    EXPECT_EQ(Read_File(Hero_File_Name).substr(0, 6), "\x97\x45\x8E\xD2\r\n") << "勇者, no mark, CR LF kept";
    const Check_Result mended = Check_Data("", &Unicode());
    const std::string report = Text_Report(mended, drawing::Utf8_Glyphs(), false);
    EXPECT_EQ(Count(mended.findings.list, Severity::Error), 0) << report;
    ASSERT_EQ(Count(mended.findings.list, Severity::Warning), 1) << report;
    EXPECT_NE(report.find("test.txt:1:1: warning: ■: one column wide in some terminals"), std::string::npos) << report;
    EXPECT_NE(report.find("the hero can reach 408 places"), std::string::npos) << report;

    const Fix_Result again = Fix_Data("", Unicode(), true);
    EXPECT_EQ(again.files_changed, 0);
    EXPECT_FALSE(std::filesystem::exists("before-fix-2"));

    // Saved with no line end after the last line, as some editors save.
    const std::string map = Read_File("test.txt");
    Write_File("test.txt", map.substr(0, map.size() - 2));
    EXPECT_FALSE(Fix_Data("", Unicode(), true).failed);
    EXPECT_EQ(Read_File("test.txt"), map);
}

// What --fix cannot put into code page 932 stops it before any file is written.
TEST_F(Check, FixWritesNothingWhereAnyFileCannotBeConverted) {
    const struct {
        const char* file;
        std::string bytes;
        const char* told;
    } cases[] = {
        {"test.txt", "■■\xE2\x93\x90\n",  // ⓐ, which code page 932 lacks
         "test.txt:1:5: error: the character U+24D0 has no form in code page 932"},
        {"Flame.txt", "炎\xF0\x9F\x94\xA5 1 3 2\n", "Flame.txt:1:3: error: the character U+1F525 has no form"},
        {"SwordCut.txt", "\xEF\xBB\xBF\x8E\x61 1 3 2\n",  // the mark before code page 932
         "SwordCut.txt:1:4: error: byte 0x8E is not UTF-8"},
    };
    for (const auto& c : cases) {
        Write_Clean_Data();
        for (const auto& [name, bytes] : Author_Folder()) Write_File(name, bytes);
        Write_File(c.file, c.bytes);
        std::vector<std::pair<std::string, std::string>> before;
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            before.emplace_back(entry.path().filename().string(), Read_File(entry.path().string()));
        }
        const Fix_Result fix = Fix_Data("", Unicode(), true);
        const std::string told = Fix_Report(fix, drawing::Utf8_Glyphs(), false);
        EXPECT_TRUE(fix.failed) << c.told;
        EXPECT_NE(told.find(c.told), std::string::npos) << told;
        EXPECT_EQ(static_cast<size_t>(std::distance(std::filesystem::directory_iterator("."), {})), before.size())
            << "no folder for originals either";
        for (const auto& [name, bytes] : before) EXPECT_EQ(Read_File(name), bytes) << c.told << ": " << name;
    }
}

// What the checker calls a character of code page 932 is what the game can
// draw: every lead and trail pair, against the game's own conversion.
TEST(Check_Characters, PairsAreCharactersExactlyWhenTheGameHasAGlyphForThem) {
    const platform::Glyph_Table& game = drawing::Utf8_Glyphs();
    int differ = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!platform::Is_Cp932_Lead(static_cast<uint8_t>(lead)) ||
                !platform::Is_Cp932_Trail(static_cast<uint8_t>(trail))) {
                continue;
            }
            const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
            std::array<platform::Cell_Code, 2> codes{};
            platform::Layout_Row(reinterpret_cast<const uint8_t*>(pair.data()), 2, game, codes.data());
            const bool drawn = codes[0] != platform::Cell_Placeholder && codes[1] == platform::Cell_Second_Half;
            const bool character = First_Non_Character(pair) == std::string::npos;
            if (drawn != character && ++differ <= 5) ADD_FAILURE() << std::hex << lead << " " << trail;
        }
    }
    EXPECT_EQ(differ, 0);
}

// Rows worked out by hand. The hero is of level 5 with attack 30, exp 1000,
// defense 9 and stat5 2; the monster has attack 12, defense 10, stat5 4.
TEST(Rules_Sheet, RowsMatchTheWorkedExamples) {
    Hero_Status_Info worked{};
    worked.level = 5;
    worked.attack = 30;
    worked.exp = 1000;
    worked.defense = 9;
    worked.stat5 = 2;
    worked.hp = 101;
    std::array<Monster_Status_Info, Monster_Count> foes{};
    foes[0].attack = 12;
    foes[0].defense = 10;
    foes[0].stat5 = 4;
    foes[1].defense = 0;
    foes[1].hp = 10;
    foes[1].attack = 10;
    foes[1].stat4 = 20;
    foes[1].stat6 = 20;  // stats summing to 60
    std::array<Skill_Info, Skill_Count> arts{};
    arts[0].power = 2;
    arts[0].penetration = 5;
    arts[1].power = 3;
    arts[1].penetration = 4;

    // 39: r = 55 of 0..110, bonus 5, 6 + 1000 / 35; 56: r = 53 of 0..106, bonus 5, 4 + 666 / 14.
    EXPECT_EQ(Hero_Attack_Damage_For_Roll(worked, foes[0], arts[0], 55).damage, 39);
    EXPECT_EQ(Monster_Attack_Damage_For_Roll(worked, foes[0], arts[1], 53).damage, 56);

    const Rules_Sheet sheet = Sheet_For(worked, foes, arts);
    const auto row = [&](size_t skill, size_t monster) { return sheet.damage[skill * Monster_Count + monster]; };
    EXPECT_EQ(Range_Text(row(0, 0).to_monster), "34 .. 44");  // the bonus takes 0 to 10
    EXPECT_EQ(Range_Text(row(1, 0).to_hero), "51 .. 61");
    EXPECT_EQ(Range_Text(row(0, 1).to_monster), "0 (zero divisor)");
    EXPECT_EQ(Range_Text(sheet.experience[1]), "140 .. 160");  // 2 * (60 + 10 + bonus), at level 5 still 0 to 10
    EXPECT_EQ(sheet.rating, 700u);  // (101 + 30 + 9 + 2) * 5 = 710, to hundreds
    EXPECT_EQ(Range_Text(sheet.growth[0].after), "109 .. 113");  // q = 1000 / 5: hp grows 10 plus -2..2
    EXPECT_EQ(Range_Text(sheet.growth[1].after), "32 .. 36");    // attack grows 4 plus -2..2
    EXPECT_EQ(sheet.first_heal, 50);
    EXPECT_EQ(sheet.heals_to_full, 3);  // 50, 100, 101
    EXPECT_EQ(sheet.attack_raised, 45);
    EXPECT_EQ(sheet.defense_raised, 13);

    // A negative total keeps its 16-bit pattern: -5 is 65531.
    Hero_Status_Info weak{};
    weak.exp = 11;
    std::array<Monster_Status_Info, Monster_Count> wall{};
    wall[0].defense = 1;
    wall[0].stat5 = 1;
    std::array<Skill_Info, Skill_Count> poke{};
    poke[0].penetration = 3;
    EXPECT_EQ(Range_Text(Sheet_For(weak, wall, poke).damage[0].to_monster), "0 .. 65535 (wraps)");

    // Growth of 0 to 2 at exp 0, level 1: each side of the top of hp's and
    // attack's ranges, in the rows and in the sheet as printed.
    struct Growth_Case {
        int16_t hp;
        uint16_t attack;
        const char* hp_after;
        const char* attack_after;
    };
    for (const Growth_Case& c : {Growth_Case{32765, 65533, "32765 .. 32767", "65533 .. 65535"},
                                 Growth_Case{32766, 65534, "-32768 .. 32767 (wraps)", "0 .. 65535 (wraps)"}}) {
        Hero_Status_Info top{};
        top.level = 1;
        top.hp = c.hp;
        top.attack = c.attack;
        const Rules_Sheet grown = Sheet_For(top, foes, arts);
        EXPECT_EQ(Range_Text(grown.growth[0].after), c.hp_after);
        EXPECT_EQ(Range_Text(grown.growth[1].after), c.attack_after);
        const std::vector<std::string> lines = Sheet_Lines(grown, top, foes, arts);
        const auto printed = [&](const std::string& row) {
            return std::find(lines.begin(), lines.end(), row) != lines.end();
        };
        EXPECT_TRUE(printed("hp       " + std::to_string(c.hp) + "  " + c.hp_after) ||
                    printed("hp       " + std::to_string(c.hp) + " " + c.hp_after))
            << "growth sheet:\n" << testing::PrintToString(lines);
    }
}

}  // namespace
