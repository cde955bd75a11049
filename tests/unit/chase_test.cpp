// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The pawn's chase on the virtual clock: where it ends, what is drawn, and how
// long each call waits; the proximity test and the field loop around it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "field/chase.h"
#include "field/walking.h"
#include "field_fixture.h"
#include "shell/game.h"

namespace {

using namespace field_test;

constexpr int64_t Wait_Ms = 130;  // 13 ticks of 10 ms
// No call here should run this long; a runaway loop stops instead of hanging.
constexpr int64_t Guard_Ms = 60'000;

struct Chase_Case {
    std::string_view name;
    Spot hero_at;
    Spot pawn_at;
    std::vector<Wall_Cell> walls;
    Spot pawn_after;
    int64_t took_ms;
};

// Positions are hero (10, 5) unless said otherwise; dx and dy are pawn minus hero.
const std::vector<Chase_Case> Chase_Cases = {
    {"dx 4 dy 3: left, then up after a second wait", {10, 5}, {14, 8}, {}, {12, 7}, 2 * Wait_Ms},
    {"dx 10 dy 3: left, and no row owed yet", {10, 5}, {20, 8}, {}, {18, 8}, Wait_Ms},
    {"dx -4 dy -3: right, then down after a second wait", {14, 8}, {10, 5}, {}, {12, 6}, 2 * Wait_Ms},
    {"dx 2 dy 1: left, then up onto the hero", {10, 5}, {12, 6}, {}, {10, 5}, 2 * Wait_Ms},
    {"dx 1 dy 2: crosses the hero, no row", {10, 5}, {11, 7}, {}, {9, 7}, Wait_Ms},
    {"dx -1 dy 2: crosses back, no row", {10, 5}, {9, 7}, {}, {11, 7}, Wait_Ms},
    {"dx 1, left blocked: up instead, still no row", {10, 5}, {11, 7}, {{9, 7}}, {11, 6}, Wait_Ms},
    {"dx 1 dy -2: crosses the hero, no row", {10, 5}, {11, 3}, {}, {9, 3}, Wait_Ms},
    {"dx 1 dy -2, left blocked: down instead, still no row", {10, 5}, {11, 3}, {{9, 3}}, {11, 4}, Wait_Ms},
    {"dx 4 dy 3, left blocked: up at once, steps -1, so up again", {10, 5}, {14, 8}, {{13, 8}}, {14, 6},
     2 * Wait_Ms},
    {"dx 4 dy 3, final up blocked: left instead", {10, 5}, {14, 8}, {{12, 7}}, {10, 8}, 2 * Wait_Ms},
    {"dx 0 dy 2: no horizontal wait, one wait, up", {10, 5}, {10, 7}, {}, {10, 6}, Wait_Ms},
    {"dx 0 dy -2: one wait, down", {10, 5}, {10, 3}, {}, {10, 4}, Wait_Ms},
    {"dx 0, blocked above: waits, no fallback", {10, 5}, {10, 7}, {{10, 6}}, {10, 7}, Wait_Ms},
    {"dy 0: one step left, no row", {10, 5}, {16, 5}, {}, {14, 5}, Wait_Ms},
    {"dy 0, left blocked: waits, no fallback", {10, 5}, {16, 5}, {{15, 5}}, {16, 5}, Wait_Ms},
    {"same cells: nothing moves, no wait", {10, 5}, {10, 5}, {}, {10, 5}, 0},
};

TEST(Chase, OneCallWithNoKeys) {
    for (const Chase_Case& c : Chase_Cases) {
        SCOPED_TRACE(c.name);
        Set_Field(c.walls, c.hero_at, c.pawn_at);
        scripted::Stop_At(Guard_Ms);
        Chase_Hero(Pawn_Record());
        EXPECT_EQ(Pawn_Record().x, c.pawn_after.x);
        EXPECT_EQ(Pawn_Record().y, c.pawn_after.y);
        EXPECT_EQ(hero.x, c.hero_at.x);
        EXPECT_EQ(hero.y, c.hero_at.y);
        EXPECT_EQ(scripted::Now_Ms(), c.took_ms);
        EXPECT_EQ(scripted::Pause_Count(), c.took_ms / 10);
        EXPECT_EQ(Screen_Rows(), Expected_Rows(c.walls, {{c.hero_at, Hero_Glyph}, {c.pawn_after, Pawn_Glyph}}));
    }
}

TEST(Chase, DxOneKeepsCrossingTheHeroAndNeverChangesRow) {
    Set_Field({}, {10, 5}, {11, 7});
    scripted::Stop_At(Guard_Ms);
    for (uint16_t expected_x : {9, 11, 9, 11}) {
        Chase_Hero(Pawn_Record());
        EXPECT_EQ(Pawn_Record().x, expected_x);
        EXPECT_EQ(Pawn_Record().y, 7);
    }
    EXPECT_EQ(scripted::Now_Ms(), 4 * Wait_Ms);
}

TEST(Chase, ThreePassesWithDyOneOweExactlyOneRow) {
    // Keys that move nothing keep the call going: three passes from dx 10, so
    // the last starts at dx 6 (half 3) with steps -3, and 1 / 3 * -3 is -1.
    Set_Field({}, {10, 5}, {20, 6});
    scripted::Queue_Keys(Wait_Ms, {13});
    scripted::Queue_Keys(2 * Wait_Ms, {13});
    scripted::Stop_At(Guard_Ms);
    Chase_Hero(Pawn_Record());
    EXPECT_EQ(Pawn_Record().x, 14);
    EXPECT_EQ(Pawn_Record().y, 5);
    EXPECT_EQ(scripted::Now_Ms(), 4 * Wait_Ms);
    EXPECT_EQ(scripted::Keys_Waiting(), 0);
    EXPECT_EQ(Screen_Rows(), Expected_Rows({}, {{{10, 5}, Hero_Glyph}, {{14, 5}, Pawn_Glyph}}));
}

struct Key_Case {
    std::string_view name;
    Spot pawn_at;
    std::vector<int> keys;  // queued 50 ms into the wait, one taken per 10 ms tick
    Spot hero_moved_to;
    Spot pawn_after;
    int64_t took_ms;
};

// The hero starts at (10, 5). Aimed afresh, each case would end differently.
const std::vector<Key_Case> Key_Cases = {
    // Aimed afresh from dx 6 the pawn would owe a row; from dx 10 it does not.
    {"dx 10 dy 3, hero walks two steps right", {20, 8}, {224, 77, 224, 77}, {14, 5}, {18, 8}, Wait_Ms},
    // Aimed afresh from dy 0 it would stop; from dy 3 it still steps up.
    {"dx 4 dy 3, hero walks down to the pawn's row", {14, 8}, {224, 80, 224, 80, 224, 80}, {10, 8}, {12, 7},
     2 * Wait_Ms},
};

void Queue_During_Wait(const std::vector<int>& keys) {
    for (int code : keys) scripted::Queue_Keys(50, {code});
}

TEST(Chase, AKeyDuringAWaitMovesTheHeroAtOnce) {
    for (const Key_Case& c : Key_Cases) {
        SCOPED_TRACE(c.name);
        Set_Field({}, {10, 5}, c.pawn_at);
        Queue_During_Wait(c.keys);
        // Stop just after the last code is taken, before the pawn's step.
        const int64_t last_taken_ms = 50 + 10 * static_cast<int64_t>(c.keys.size() - 1);
        scripted::Stop_At(last_taken_ms + 5);
        EXPECT_THROW(Chase_Hero(Pawn_Record()), scripted::Run_Stopped);
        EXPECT_EQ(scripted::Now_Ms(), last_taken_ms);
        EXPECT_EQ(hero.x, c.hero_moved_to.x);
        EXPECT_EQ(hero.y, c.hero_moved_to.y);
        EXPECT_EQ(Pawn_Record().x, c.pawn_at.x);
        EXPECT_EQ(Pawn_Record().y, c.pawn_at.y);
        EXPECT_EQ(scripted::Cells(c.hero_moved_to.x, c.hero_moved_to.y), Hero_Glyph);
    }
}

TEST(Chase, TheRestOfThePassKeepsTheDxAndDyItStartedWith) {
    for (const Key_Case& c : Key_Cases) {
        SCOPED_TRACE(c.name);
        Set_Field({}, {10, 5}, c.pawn_at);
        Queue_During_Wait(c.keys);
        scripted::Stop_At(Guard_Ms);
        Chase_Hero(Pawn_Record());
        EXPECT_EQ(hero.x, c.hero_moved_to.x);
        EXPECT_EQ(hero.y, c.hero_moved_to.y);
        EXPECT_EQ(Pawn_Record().x, c.pawn_after.x);
        EXPECT_EQ(Pawn_Record().y, c.pawn_after.y);
        EXPECT_EQ(scripted::Now_Ms(), c.took_ms);
        EXPECT_EQ(Screen_Rows(), Expected_Rows({}, {{c.hero_moved_to, Hero_Glyph}, {c.pawn_after, Pawn_Glyph}}));
    }
}

TEST(Chase, KeysHeldDownKeepOneCallGoingPastTheRange) {
    // Each pass the hero makes three steps right (six columns) to the pawn's
    // one (two): a batch of three arrows arrives as every pass begins, and its
    // first code is what keeps the call going at the end of the pass before.
    Set_Field({}, {20, 3}, {8, 3});
    constexpr int passes = 4;
    for (int pass = 0; pass < passes; ++pass) {
        scripted::Queue_Keys(pass * Wait_Ms, {224, 77, 224, 77, 224, 77});
    }
    scripted::Stop_At(Guard_Ms);
    Chase_Hero(Pawn_Record());
    // From the third pass on the hero is 20 columns away, out of range.
    EXPECT_EQ(hero.x, 20 + 6 * passes);
    EXPECT_EQ(Pawn_Record().x, 8 + 2 * passes);
    EXPECT_EQ(Pawn_Record().y, 3);
    EXPECT_EQ(scripted::Now_Ms(), passes * Wait_Ms);
    EXPECT_FALSE(Is_Near(hero, Pawn_Record()));
    EXPECT_EQ(Screen_Rows(), Expected_Rows({}, {{{44, 3}, Hero_Glyph}, {{16, 3}, Pawn_Glyph}}));
}

struct Near_Case {
    Spot hero_at;
    Spot pawn_at;
    bool near;
};

TEST(Proximity, BelowEighteenColumnsAndNineRowsSignedBounds) {
    const std::vector<Near_Case> cases = {
        {{25, 11}, {8, 3}, true},    // 17 right, 8 below
        {{26, 11}, {8, 3}, false},   // 18 right
        {{25, 12}, {8, 3}, false},   // 9 below
        {{0, 3}, {8, 3}, true},      // pawn.x - 18 is -10: must not wrap
        {{0, 11}, {8, 3}, true},
        {{0, 0}, {8, 3}, true},      // pawn.y - 9 is -6
        {{13, 10}, {30, 18}, true},  // 17 left, 8 above
        {{12, 10}, {30, 18}, false}, // 18 left
        {{13, 9}, {30, 18}, false},  // 9 above
        {{8, 3}, {8, 3}, true},
        {{65535, 3}, {8, 3}, false},
        {{8, 65535}, {8, 3}, false},
    };
    for (const Near_Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "hero (" << c.hero_at.x << ", " << c.hero_at.y << "), pawn ("
                                        << c.pawn_at.x << ", " << c.pawn_at.y << ")");
        Hero_Status_Info who{};
        who.x = c.hero_at.x;
        who.y = c.hero_at.y;
        Monster_Status_Info monster{};
        monster.x = c.pawn_at.x;
        monster.y = c.pawn_at.y;
        EXPECT_EQ(Is_Near(who, monster), c.near);
    }
}

struct Sighting {
    int64_t at_ms;
    uint16_t hero_x, hero_y, pawn_x, pawn_y;
    bool operator==(const Sighting&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sighting& s) {
    return out << s.at_ms << " ms: hero (" << s.hero_x << ", " << s.hero_y << "), pawn (" << s.pawn_x << ", "
               << s.pawn_y << ")";
}

TEST(FieldLoop, ThePawnClosesInOneStepPerWaitWhileKeysStillMoveTheHero) {
    Set_Field({}, {24, 3}, {8, 3});
    scripted::Queue_Keys(300, {224, 80});                       // down, during the third chase wait
    scripted::Queue_Keys(1'500, {224, 75, 224, 75, 224, 75});  // three steps left, after the pawn arrived
    scripted::Stop_At(3'000);
    std::vector<Sighting> seen;
    const Monster_Status_Info& pawn = Pawn_Record();
    Sighting last{0, hero.x, hero.y, pawn.x, pawn.y};
    try {
        for (;;) {
            Run_Field_Pass();
            const Sighting now{scripted::Now_Ms(), hero.x, hero.y, pawn.x, pawn.y};
            if (now.hero_x != last.hero_x || now.hero_y != last.hero_y || now.pawn_x != last.pawn_x ||
                now.pawn_y != last.pawn_y) {
                seen.push_back(now);
            }
            last = now;
        }
    } catch (const scripted::Run_Stopped&) {
    }
    // A pass that chases takes one wait and the loop's own 10 ms. The hero's
    // down step at 310 ms makes dy -1; the row is owed only once dx is -2,
    // so that pass waits twice (right, then down) and takes 270 ms.
    const std::vector<Sighting> expected = {
        {140, 24, 3, 10, 3},   {280, 24, 3, 12, 3},   {420, 24, 4, 14, 3},   {560, 24, 4, 16, 3},
        {700, 24, 4, 18, 3},   {840, 24, 4, 20, 3},   {980, 24, 4, 22, 3},   {1'250, 24, 4, 24, 4},
        // At 1500 the loop takes the prefix; the chase, with nothing to do on
        // the same cells, still takes the first left at the end of its pass,
        // and the next pass's wait serves the other two before the pawn steps.
        {1'640, 18, 4, 22, 4}, {1'780, 18, 4, 20, 4}, {1'920, 18, 4, 18, 4},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(scripted::Now_Ms(), 3'000);
    // The hero's departure blanked the pawn sharing its cells, and the pawn,
    // stepping last onto the hero, is what shows there now.
    EXPECT_EQ(Screen_Rows(), Expected_Rows({}, {{{18, 4}, Pawn_Glyph}}));
}

}  // namespace
