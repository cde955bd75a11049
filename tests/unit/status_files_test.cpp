// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "data/status_files.h"
#include "work_dir.h"

namespace {

class Status_Files : public Work_Dir_Test {
protected:
    void SetUp() override {
        Work_Dir_Test::SetUp();
        hero = {};
        monsters = {};
        skills = {};
    }
    static void Write_All_Monsters() {
        for (const char* name : {"Pawn", "Knight", "Bishop", "Rook", "Queen", "King"}) {
            Write_File(std::string(name) + "_Status_Info.txt", std::string(name) + " 1 G 2 3 4 5 6 7 8 9");
        }
    }
};

TEST_F(Status_Files, HeroReadsEveryFieldInOrder) {
    Write_File("Hero_Status_Info.txt",
               "Hero\n\n-5\n2\n3\n4\n5\n6\n\n4294967295\n8\n9\n10\n\n11 12 13\n\n14 15 16 17 18\n\n"
               "19 20 21 22 23 24\n30\n7\n");
    ASSERT_EQ(Load_Hero_Status(), 1);
    EXPECT_STREQ(hero.name.data(), "Hero");
    EXPECT_EQ(hero.hp, -5);
    EXPECT_EQ(hero.attack, 2);
    EXPECT_EQ(hero.stat6, 6);
    EXPECT_EQ(hero.rating, 4294967295u);
    EXPECT_EQ(hero.exp, 8u);
    EXPECT_EQ(hero.level, 9);
    EXPECT_EQ(hero.aux, 10);
    EXPECT_EQ(hero.group3, (std::array<uint16_t, 3>{11, 12, 13}));
    EXPECT_EQ(hero.group4, (std::array<uint16_t, 5>{14, 15, 16, 17, 18}));
    EXPECT_EQ(hero.group5, (std::array<uint16_t, 6>{19, 20, 21, 22, 23, 24}));
    EXPECT_EQ(hero.x, 30);
    EXPECT_EQ(hero.y, 7);
}

// Numbers wrap rather than fail, then keep their field's width.
TEST_F(Status_Files, NumbersKeepTheLowBitsOfTheirField) {
    struct Case {
        const char *hp_text, *attack_text, *rating_text;
        int16_t hp;
        uint16_t attack;
        uint32_t rating;
    };
    const Case cases[] = {
        {"70000", "70000", "70000", 4464, 4464, 70000},
        {"-1", "-1", "-1", -1, 65535, 4294967295u},
        {"32768", "65536", "-2147483648", -32768, 0, 2147483648u},
        {"+7", "+8", "4294967296", 7, 8, 0},        // 2^32 wraps to 0
        {"0", "1", "99999999999", 0, 1, 1215752191u},  // accumulated modulo 2^32
    };
    for (const Case& c : cases) {
        hero = {};
        Write_File("Hero_Status_Info.txt", std::string("H ") + c.hp_text + " " + c.attack_text + " 0 0 0 0 " +
                                               c.rating_text + "\n");
        ASSERT_EQ(Load_Hero_Status(), 1) << c.rating_text;
        EXPECT_EQ(hero.hp, c.hp) << c.hp_text;
        EXPECT_EQ(hero.attack, c.attack) << c.attack_text;
        EXPECT_EQ(hero.rating, c.rating) << c.rating_text;
    }
}

TEST_F(Status_Files, ShortOrMalformedFilesFillUpToTheFirstBadValue) {
    struct Case {
        const char* text;
        int16_t hp;
        uint16_t attack, defense, stat4, y;
    };
    const Case cases[] = {
        {"Hero 10 20 30", 10, 20, 30, 0, 0},
        {"Hero 10 x 30 40", 10, 0, 0, 0, 0},
        {"Hero 10 20 - 40", 10, 20, 0, 0, 0},
        {"Hero 10 20 30 40 5 6 7 8 9 10 1 2 3 4 5 6 7 8 1 2 3 4 5 6 8 9 99 100", 10, 20, 30, 40, 9},
        {"", 0, 0, 0, 0, 0},
        {"Hero", 0, 0, 0, 0, 0},
        {"Hero 12abc 13", 12, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        hero = {};
        Write_File("Hero_Status_Info.txt", c.text);
        ASSERT_EQ(Load_Hero_Status(), 1) << c.text;
        EXPECT_EQ(hero.hp, c.hp) << c.text;
        EXPECT_EQ(hero.attack, c.attack) << c.text;
        EXPECT_EQ(hero.defense, c.defense) << c.text;
        EXPECT_EQ(hero.stat4, c.stat4) << c.text;
        EXPECT_EQ(hero.y, c.y) << c.text;
    }
}

TEST_F(Status_Files, TextModeLineEndsAndCtrlZ) {
    const char* files[] = {
        "Pawn\r\n1\r\nG\r\n2 3 4 5 6 7 8 9\r\n",  // carriage return before line feed dropped
        "Pawn 1 G 2 3 4 5 6 7 8 9",
        "Pawn\r1\rG\r2\r3\r4\r5\r6\r7\r8\r9",  // a lone carriage return is white space
        "Pawn 1 G 2 3 4 5 6 7 8 9\x1A 77 77",  // Ctrl+Z ends the file
    };
    for (const char* text : files) {
        monsters[Pawn] = {};
        Write_File("Pawn_Status_Info.txt", text);
        ASSERT_EQ(Load_Monster_Status(monsters[Pawn], "Pawn_Status_Info.txt"), 1);
        const Monster_Status_Info& m = monsters[Pawn];
        EXPECT_STREQ(m.name.data(), "Pawn");
        EXPECT_EQ(m.lead_value, 1);
        EXPECT_STREQ(m.glyph.data(), "G");
        EXPECT_EQ(m.pre_value, 2);
        EXPECT_EQ(m.hp, 3);
        EXPECT_EQ(m.stat6, 8);
        EXPECT_EQ(m.post_value, 9);
    }
    Write_File("Pawn_Status_Info.txt", "Pawn 1 G 2 3\x1A 4 5");
    monsters[Pawn] = {};
    ASSERT_EQ(Load_Monster_Status(monsters[Pawn], "Pawn_Status_Info.txt"), 1);
    EXPECT_EQ(monsters[Pawn].hp, 3);
    EXPECT_EQ(monsters[Pawn].attack, 0);
}

// A token longer than its buffer is cut at a character boundary and read to
// its end, so the numbers after it still load.
TEST_F(Status_Files, LongTokensAreCutAtACharacterBoundary) {
    struct Case {
        std::string glyph_token;
        std::string kept;
    };
    const std::string maru = "\x81\x9C";  // ● in code page 932
    const Case cases[] = {
        {"ABC", "ABC"},
        {"ABCD", "ABC"},
        {maru, maru},
        {maru + maru, maru},            // 4 bytes: only one double-byte char fits in 3
        {"A" + maru, "A" + maru},       // exactly 3 bytes
        {"AB" + maru, "AB"},            // the lead byte alone would split the char
        {"A\x81", "A\x81"},             // a lead byte before a space: the space still ends the token
        {std::string(500, 'x'), "xxx"},
    };
    for (const Case& c : cases) {
        monsters[Pawn] = {};
        Write_File("Pawn_Status_Info.txt", std::string(100, 'N') + " 1 " + c.glyph_token + " 2 3 4 5 6 7 8 9");
        ASSERT_EQ(Load_Monster_Status(monsters[Pawn], "Pawn_Status_Info.txt"), 1);
        EXPECT_EQ(std::string(monsters[Pawn].glyph.data()), c.kept);
        EXPECT_EQ(std::strlen(monsters[Pawn].name.data()), 19u);
        EXPECT_EQ(monsters[Pawn].lead_value, 1);
        EXPECT_EQ(monsters[Pawn].pre_value, 2);
        EXPECT_EQ(monsters[Pawn].post_value, 9);
    }
    std::string long_name;
    for (int i = 0; i < 15; ++i) long_name += "\x82\xA0";  // 15 × あ, 30 bytes
    Write_File("Hero_Status_Info.txt", long_name + " 42");
    ASSERT_EQ(Load_Hero_Status(), 1);
    EXPECT_EQ(std::string(hero.name.data()), long_name.substr(0, 28));  // 29 would split the 15th
    EXPECT_EQ(hero.hp, 42);
}

TEST_F(Status_Files, ExtraValuesAreIgnoredAndSkillsLoad) {
    Write_File("Flame.txt", "Fire 5 6 7 8 9 10");
    ASSERT_EQ(Load_Skill(skills[Flame], "Flame.txt"), 1);
    EXPECT_STREQ(skills[Flame].name.data(), "Fire");
    EXPECT_EQ(skills[Flame].lead_value, 5);
    EXPECT_EQ(skills[Flame].power, 6);
    EXPECT_EQ(skills[Flame].penetration, 7);
}

TEST_F(Status_Files, MissingFilesStopTheLoadAtTheFirstFailure) {
    EXPECT_EQ(Load_Hero_Status(), 0);
    Write_All_Monsters();
    std::filesystem::remove("Bishop_Status_Info.txt");
    monsters[Rook].hp = 1234;
    EXPECT_EQ(Load_All_Monsters(), 0);
    EXPECT_STREQ(monsters[Knight].name.data(), "Knight");
    EXPECT_EQ(monsters[Rook].hp, 1234) << "files after the missing one must not be read";

    Write_All_Monsters();
    EXPECT_EQ(Load_All_Monsters(), 1);
    EXPECT_STREQ(monsters[King].name.data(), "King");

    for (const char* name : {"SwordCut.txt", "Flame.txt", "BigRevolveSword.txt", "HellFlame.txt"}) {
        Write_File(name, "S 1 2 3");
    }
    EXPECT_EQ(Load_All_Skills(), 0);
    Write_File("AbsoluteObedience.txt", "S 1 2 3");
    EXPECT_EQ(Load_All_Skills(), 1);
}

// Only a regular file is data: a FIFO would block the start for ever and
// /dev/zero would feed it bytes without end.
TEST_F(Status_Files, OnlyARegularFileIsAFile) {
    const auto socket_at = [](const char* name) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, name);
        const int descriptor = socket(AF_UNIX, SOCK_STREAM, 0);
        bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address);
        close(descriptor);
    };
    const struct {
        const char* what;
        void (*make)(const char* name);
        int loads;
    } cases[] = {
        {"directory", [](const char* name) { std::filesystem::create_directory(name); }, 0},
        {"fifo", [](const char* name) { mkfifo(name, 0600); }, 0},
        {"link to /dev/zero", [](const char* name) { std::filesystem::create_symlink("/dev/zero", name); }, 0},
        {"link to /dev/null", [](const char* name) { std::filesystem::create_symlink("/dev/null", name); }, 0},
        {"socket", socket_at, 0},
        {"link to a file",
         [](const char* name) {
             Write_File("real", "Linked 1 2 3");
             std::filesystem::create_symlink("real", name);
         },
         1},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all("Hero_Status_Info.txt");
        c.make("Hero_Status_Info.txt");
        hero = {};
        EXPECT_EQ(Load_Hero_Status(), c.loads) << c.what;
        EXPECT_EQ(hero.attack, c.loads == 1 ? 2 : 0) << c.what;
    }
}

TEST_F(Status_Files, BinaryGarbageNeverOverrunsTheRecords) {
    std::string bytes;
    uint32_t state = 12345;
    for (int round = 0; round < 200; ++round) {
        bytes.clear();
        const int length = static_cast<int>(state % 300);
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            bytes.push_back(static_cast<char>(state >> 24));
        }
        Write_File("Pawn_Status_Info.txt", bytes);
        monsters = {};
        ASSERT_EQ(Load_Monster_Status(monsters[Pawn], "Pawn_Status_Info.txt"), 1);
        EXPECT_LT(std::strlen(monsters[Pawn].name.data()), 20u);
        EXPECT_LT(std::strlen(monsters[Pawn].glyph.data()), 4u);
        EXPECT_EQ(monsters[Knight].name[0], '\0');
    }
}

}  // namespace
