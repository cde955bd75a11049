// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "data/status_files.h"
#include "field/field_map.h"
#include "platform/scripted/scripted.h"
#include "rules/random.h"
#include "shell/game.h"
#include "work_dir.h"

namespace {

const char* const Status_Files[] = {
    "Hero_Status_Info.txt", "Pawn_Status_Info.txt", "Knight_Status_Info.txt", "Bishop_Status_Info.txt",
    "Rook_Status_Info.txt", "Queen_Status_Info.txt", "King_Status_Info.txt", "SwordCut.txt",
    "Flame.txt", "BigRevolveSword.txt", "HellFlame.txt", "AbsoluteObedience.txt",
};

const std::string Maru = "\x81\x9C";   // ●
const std::string Pawn_Glyph = "\x95\xE0";  // 歩

// An open field walled on every side, as the sample map is built.
std::string Walled_Map() {
    std::string map;
    for (int row = 0; row < Field_Rows; ++row) {
        const bool edge = row == 0 || row == Field_Rows - 1;
        map += "##" + std::string(49, edge ? '#' : ' ') + "##\n";
    }
    return map;
}

class Game_Test : public Work_Dir_Test {
protected:
    void SetUp() override {
        Work_Dir_Test::SetUp();
        Prepare();
    }

    // A fresh console and a complete set of files.
    void Prepare() {
        scripted::Reset(Start_Seconds);
        hero = {};
        monsters = {};
        skills = {};
        Write_File("Hero_Status_Info.txt", "Hero 100 20 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 40 12");
        for (int i = 1; i < 7; ++i) Write_File(Status_Files[i], "Mon 1 " + Pawn_Glyph + " 0 30 8 6 4 3 2 0");
        for (int i = 7; i < 12; ++i) Write_File(Status_Files[i], "Skill 1 2 3");
        Write_File("test.txt", Walled_Map());
    }

    // Runs until the process would end; returns its status.
    static int Run_Until_Exit() {
        try {
            Run_Game();
        } catch (const scripted::Process_Exit& exit) {
            return exit.status;
        }
    }

    static constexpr int64_t Start_Seconds = 1'700'000'000;
};

TEST_F(Game_Test, StartUpDrawsTheFieldTheHeroAndThePawn) {
    scripted::Stop_At(0);
    EXPECT_THROW(Run_Game(), scripted::Run_Stopped);
    EXPECT_EQ(scripted::Row(0), std::string(53, '#'));
    EXPECT_EQ(scripted::Cells(40, 12), Maru);
    EXPECT_EQ(scripted::Cells(8, 3), Pawn_Glyph);
    EXPECT_EQ(monsters[Pawn].x, 8);
    EXPECT_EQ(monsters[Pawn].y, 3);
    EXPECT_EQ(monsters[Knight].x, 0) << "only the pawn is placed";
    EXPECT_STREQ(skills[AbsoluteObedience].name.data(), "Skill");
}

TEST_F(Game_Test, TheRandomNumbersAreSeededWithTheClock) {
    scripted::Stop_At(0);
    EXPECT_THROW(Run_Game(), scripted::Run_Stopped);
    const int first = Next_Random();
    Seed_Random(static_cast<uint32_t>(Start_Seconds));
    EXPECT_EQ(Next_Random(), first);
}

TEST_F(Game_Test, AnyMissingStatusFileShowsTheNoticeAndEndsAfterThirtySeconds) {
    const std::string first_line =
        "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x91\xb6\x8d\xdd\x82\xb5\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x8f\xee"
        "\x95\xf1\x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
    for (const char* missing : Status_Files) {
        SCOPED_TRACE(missing);
        Prepare();
        std::filesystem::remove(missing);
        std::filesystem::remove("test.txt");  // never reached
        EXPECT_EQ(Run_Until_Exit(), -1);
        EXPECT_EQ(scripted::Row(0), first_line);
        EXPECT_EQ(scripted::Row(3).substr(0, 4), " 30 ");
        EXPECT_EQ(scripted::Row(4), "");
        // Whole seconds: it ends as the clock advances by 30, polling calmly.
        EXPECT_GE(scripted::Now_Ms(), 30'000);
        EXPECT_LT(scripted::Now_Ms(), 30'100);
        EXPECT_LT(scripted::Clock_Reads(), 2 * scripted::Pause_Count() + 4);
    }
}

TEST_F(Game_Test, LoadersAfterAMissingFileAreNotCalled) {
    std::filesystem::remove("Hero_Status_Info.txt");
    EXPECT_EQ(Run_Until_Exit(), -1);
    EXPECT_EQ(monsters[Pawn].hp, 0);
    EXPECT_EQ(skills[SwordCut].power, 0);
}

TEST_F(Game_Test, AMissingMapEndsAtOnceWithNothingWritten) {
    std::filesystem::remove("test.txt");
    EXPECT_EQ(Run_Until_Exit(), -1);
    EXPECT_EQ(scripted::Output_Calls(), 0);
    EXPECT_EQ(scripted::Now_Ms(), 0);
}

TEST_F(Game_Test, TheFieldLoopPacesItselfAndServesOneKeyCodePerPass) {
    // The hero stands far from the pawn, so nothing chases.
    scripted::Queue_Keys(100, {224, 75});  // left arrow
    scripted::Queue_Keys(300, {'H'});      // H is the up code
    scripted::Queue_Keys(500, {224, 141}); // Ctrl+Up moves nothing
    scripted::Stop_At(2'000);
    EXPECT_THROW(Run_Game(), scripted::Run_Stopped);
    EXPECT_EQ(scripted::Pause_Count(), 200);
    EXPECT_EQ(hero.x, 38);
    EXPECT_EQ(hero.y, 11);
    EXPECT_EQ(scripted::Cells(38, 11), Maru);
    EXPECT_EQ(scripted::Cells(40, 12), "  ");
    EXPECT_EQ(scripted::Keys_Waiting(), 0);
}

}  // namespace
