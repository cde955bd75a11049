// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Steps and the passability rule, for the hero and the monsters alike.

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "field/walking.h"
#include "field_fixture.h"

namespace {

using namespace field_test;

struct Step_Case {
    std::string_view name;
    Spot from;
    int code;
    std::vector<Wall_Cell> walls;
    bool allowed;
};

Spot After_Step(Spot from, int code) {
    switch (code) {
        case Code_Up: return {from.x, static_cast<uint16_t>(from.y - 1)};
        case Code_Down: return {from.x, static_cast<uint16_t>(from.y + 1)};
        case Code_Left: return {static_cast<uint16_t>(from.x - 2), from.y};
        default: return {static_cast<uint16_t>(from.x + 2), from.y};
    }
}

int Step_Monster(Monster_Status_Info& monster, int code) {
    switch (code) {
        case Code_Up: return Monster_Step_Up(monster);
        case Code_Down: return Monster_Step_Down(monster);
        case Code_Left: return Monster_Step_Left(monster);
        default: return Monster_Step_Right(monster);
    }
}

// Far from every case, so the other character never shares a tested cell.
constexpr Spot Aside = {30, 15};

const std::vector<Step_Case> Step_Cases = {
    // A vertical step tests only the left cell of its target.
    {"up, open", {10, 5}, Code_Up, {}, true},
    {"up, wall on the left target cell", {10, 5}, Code_Up, {{10, 4}}, false},
    {"up, wall on the right target cell only", {10, 5}, Code_Up, {{11, 4}}, true},
    {"up, walls under the character itself", {10, 5}, Code_Up, {{10, 5}, {11, 5}}, true},
    {"up, a tab in the left target cell", {10, 5}, Code_Up, {{10, 4, '\t'}}, false},
    {"down, open", {10, 5}, Code_Down, {}, true},
    {"down, wall on the left target cell", {10, 5}, Code_Down, {{10, 6}}, false},
    {"down, wall on the right target cell only", {10, 5}, Code_Down, {{11, 6}}, true},
    {"down onto row 18", {10, 17}, Code_Down, {}, true},
    {"down from row 18", {10, 18}, Code_Down, {}, false},
    // A horizontal step tests both cells it moves into, and only those.
    {"left, open", {10, 5}, Code_Left, {}, true},
    {"left, wall one column left", {10, 5}, Code_Left, {{9, 5}}, false},
    {"left, wall two columns left", {10, 5}, Code_Left, {{8, 5}}, false},
    {"left, wall three columns left", {10, 5}, Code_Left, {{7, 5}}, true},
    {"left, walls on the rows above and below", {10, 5}, Code_Left, {{8, 4}, {9, 6}}, true},
    {"right, open", {10, 5}, Code_Right, {}, true},
    {"right, wall two columns right", {10, 5}, Code_Right, {{12, 5}}, false},
    {"right, wall three columns right", {10, 5}, Code_Right, {{13, 5}}, false},
    {"right, wall four columns right", {10, 5}, Code_Right, {{14, 5}}, true},
    {"right, a tab three columns right", {10, 5}, Code_Right, {{13, 5, '\t'}}, false},
    {"right onto column 52", {50, 5}, Code_Right, {}, true},
    {"right from column 50 into a line-feed cell", {50, 5}, Code_Right, {{53, 5, Line_Feed_Cell}}, false},
    {"right from column 52", {52, 5}, Code_Right, {}, false},
    // The edges of the grid: a step that would test a cell outside it.
    {"up from row 0", {10, 0}, Code_Up, {}, false},
    {"left from column 1", {1, 5}, Code_Left, {}, false},
    {"left from column 0", {0, 5}, Code_Left, {}, false},
    {"left from column 2", {2, 5}, Code_Left, {}, true},
    {"right from column 51", {51, 5}, Code_Right, {}, false},
    {"right from column 53", {53, 5}, Code_Right, {}, false},
    {"up from column 53 tests column 53 only", {53, 5}, Code_Up, {}, true},
    {"down from column 53 tests column 53 only", {53, 5}, Code_Down, {}, true},
    // A start outside the grid (read from a file): every move is refused,
    // even where the cells it would test lie inside.
    {"up from row 19", {10, 19}, Code_Up, {}, false},
    {"down from row 19", {10, 19}, Code_Down, {}, false},
    {"left from column 54", {54, 5}, Code_Left, {}, false},
    {"up from column 54", {54, 5}, Code_Up, {}, false},
    {"right from column 54", {54, 5}, Code_Right, {}, false},
    {"up from row 65535", {10, 65535}, Code_Up, {}, false},
    {"down from row 65535", {10, 65535}, Code_Down, {}, false},
    {"left from column 65535", {65535, 5}, Code_Left, {}, false},
    {"right from column 65535", {65535, 5}, Code_Right, {}, false},
};

// Each case runs twice: the hero moved by Move_Hero, then the pawn by its
// step operation, the other character standing aside.
TEST(Walking, StepsFollowThePassabilityTable) {
    for (const bool pawn_moves : {false, true}) {
        for (const Step_Case& c : Step_Cases) {
            SCOPED_TRACE(testing::Message() << (pawn_moves ? "pawn, " : "hero, ") << c.name);
            Set_Field(c.walls, pawn_moves ? Aside : c.from, pawn_moves ? c.from : Aside);
            Monster_Status_Info& pawn = Pawn_Record();
            Park_Cursor();
            const platform::Screen_Model before = scripted::Screen();
            const int expected = c.allowed ? 1 : 0;
            if (pawn_moves) {
                EXPECT_EQ(Can_Monster_Move(c.code, pawn), expected);
                EXPECT_EQ(Step_Monster(pawn, c.code), expected);
            } else {
                EXPECT_EQ(Can_Hero_Move(c.code), expected);
                Move_Hero(c.code);
            }
            const Spot to = c.allowed ? After_Step(c.from, c.code) : c.from;
            const Spot moved = pawn_moves ? Spot{pawn.x, pawn.y} : Spot{hero.x, hero.y};
            EXPECT_EQ(moved.x, to.x);
            EXPECT_EQ(moved.y, to.y);
            if (!c.allowed) {
                EXPECT_TRUE(Nothing_Drawn_Since(before));
                continue;
            }
            const std::string_view glyph = pawn_moves ? Pawn_Glyph : Hero_Glyph;
            const std::string_view other = pawn_moves ? Hero_Glyph : Pawn_Glyph;
            EXPECT_EQ(Screen_Rows(), Expected_Rows(c.walls, {{Aside, other}, {c.from, Eraser}, {to, glyph}}));
        }
    }
}

TEST(Walking, CodesOtherThanTheFourMovesAreAllowedButMoveAndDrawNothing) {
    // Walled in on every side, and also from outside the grid: the answer for
    // these codes does not depend on any cell.
    const std::vector<Wall_Cell> box = {{10, 4}, {10, 6}, {9, 5}, {8, 5}, {12, 5}, {13, 5}};
    // 328 and 72 + 65536 share their low bits with the up code; -72 is its negation.
    const std::vector<int> codes = {0, 1, 13, 27, 32, 71, 73, 74, 76, 78, 79, 81, 119, 224, 255, 328, 65608, -72};
    for (Spot from : {Spot{10, 5}, Spot{70, 30}}) {
        for (int code : codes) {
            SCOPED_TRACE(testing::Message() << "code " << code << " from column " << from.x);
            Set_Field(box, from, from);
            Park_Cursor();
            const platform::Screen_Model before = scripted::Screen();
            EXPECT_EQ(Can_Hero_Move(code), 1);
            EXPECT_EQ(Can_Monster_Move(code, Pawn_Record()), 1);
            Move_Hero(code);
            EXPECT_EQ(hero.x, from.x);
            EXPECT_EQ(hero.y, from.y);
            EXPECT_TRUE(Nothing_Drawn_Since(before));
        }
    }
}

TEST(Walking, CharactersShareCellsAndTheEraserBlanksWhateverIsShown) {
    Set_Field({}, {10, 5}, {8, 5});
    Monster_Status_Info& pawn = Pawn_Record();

    EXPECT_EQ(Can_Hero_Move(Code_Left), 1);
    Move_Hero(Code_Left);  // onto the pawn
    EXPECT_EQ(hero.x, 8);
    EXPECT_EQ(scripted::Cells(8, 5), Hero_Glyph);
    EXPECT_EQ(scripted::Cells(10, 5), "  ");

    Move_Hero(Code_Right);  // away again: the pawn is still there, but blanked
    EXPECT_EQ(hero.x, 10);
    EXPECT_EQ(Screen_Rows(), Expected_Rows({}, {{{10, 5}, Hero_Glyph}}));

    EXPECT_EQ(Can_Monster_Move(Code_Right, pawn), 1);
    EXPECT_EQ(Monster_Step_Right(pawn), 1);  // onto the hero
    EXPECT_EQ(pawn.x, 10);
    EXPECT_EQ(Screen_Rows(), Expected_Rows({}, {{{10, 5}, Pawn_Glyph}}));
}

TEST(Walking, AnErasedWallByteStillBlocks) {
    // A wall byte beside the target above does not stop the step; the glyph
    // covers it, and the eraser then blanks it on the next step.
    const std::vector<Wall_Cell> walls = {{11, 4}};
    Set_Field(walls, {10, 5}, {30, 15});
    Move_Hero(Code_Up);
    EXPECT_EQ(hero.y, 4);
    Move_Hero(Code_Left);
    EXPECT_EQ(hero.x, 8);
    EXPECT_EQ(scripted::Cells(10, 4), "  ");
    EXPECT_EQ(Field_Map[4][11], Wall);
    Park_Cursor();
    const platform::Screen_Model before = scripted::Screen();
    Move_Hero(Code_Right);
    EXPECT_EQ(hero.x, 8);
    EXPECT_TRUE(Nothing_Drawn_Since(before));
}

}  // namespace
