// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "rules/combat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "rules/random.h"

namespace {

// Seeds the generator so that its next number taken modulo `range` is
// `wanted`, and returns the number that follows it, which must be the next
// draw after an operation that draws exactly once.
int Seed_For_Draw(int range, int wanted) {
    for (uint32_t seed = 0; seed < (1u << 26); ++seed) {
        Seed_Random(seed);
        if (Next_Random() % range != wanted) continue;
        const int following = Next_Random();
        Seed_Random(seed);
        return following;
    }
    ADD_FAILURE() << "no seed gives " << wanted << " modulo " << range;
    return -1;
}

struct Damage_Case {
    std::string name;
    bool hero_attacks;  // or the monster attacks the hero
    uint16_t level;     // the hero's
    uint16_t attack;    // the attacker's
    uint32_t exp;       // the hero's
    uint16_t defense;   // the defender's
    uint16_t stat5;     // the defender's
    uint16_t power;
    uint16_t penetration;
    int r;
    uint16_t damage;
};

constexpr bool By_Hero = true;
constexpr bool By_Monster = false;

// The bonus is 0 whenever r is 0. A monster's roll takes the hero's level and
// experience at two thirds.
const std::array<Damage_Case, 23> Damage_Cases{{
    {"worked example", By_Hero, 5, 30, 1000, 10, 4, 2, 5, 55, 39},
    {"negative sum truncates toward zero", By_Hero, 0, 0, 11, 1, 1, 0, 3, 0, 0xFFFB},
    {"product wraps and reads as negative", By_Hero, 0, 65535, 0, 1, 1, 65535, 0, 0, 1},
    {"sum above int32 range", By_Hero, 0, 0, 4294967295u, 1, 1, 0, 0, 0, 0},
    {"sum below int32 range", By_Hero, 0, 0, 4294967295u, 1, 1, 0, 2, 0, 0},
    {"sum just above int32 max truncates into range", By_Hero, 0, 0, 4294967295u, 1, 2, 0, 0, 0, 0xFFFF},
    {"largest sum", By_Hero, 0, 0, 2147483647u, 1, 1, 0, 0, 0, 0xFFFF},
    {"bonus pushes the sum out of range", By_Hero, 0, 0, 2147483647u, 1, 1, 0, 0, 10, 0},
    {"negative sum near int32 min", By_Hero, 0, 0, 4294967295u, 1, 2, 0, 4, 0, 1},
    {"defender defense 0", By_Hero, 5, 30, 1000, 0, 4, 2, 5, 55, 0},
    {"second divisor 0", By_Hero, 5, 30, 1000, 2, 2, 2, 4, 55, 0},
    {"divisor product wraps negative", By_Hero, 0, 10, 262142, 65535, 65535, 1, 0, 0, 0xFFFF},
    {"level 0 bonus reaches 10", By_Hero, 0, 0, 0, 1, 1, 0, 0, 100, 10},
    {"level 16333 bonus reaches 10", By_Hero, 16333, 0, 0, 1, 1, 0, 0, 32766, 10},
    {"level 16334 bonus stops at 9", By_Hero, 16334, 0, 0, 1, 1, 0, 0, 32767, 9},
    {"monster: worked example", By_Monster, 5, 12, 1000, 9, 2, 3, 4, 53, 56},
    {"monster: hero defense 0", By_Monster, 5, 12, 1000, 0, 2, 3, 4, 53, 0},
    {"monster: twice the experience wraps before the third", By_Monster, 0, 0, 4294967295u, 1, 1, 0, 0, 0, 21844},
    {"monster: level 2 uses level 1: range 103", By_Monster, 2, 0, 0, 1, 1, 0, 0, 102, 10},
    {"monster: level 24500 bonus reaches 10", By_Monster, 24500, 0, 0, 1, 1, 0, 0, 32766, 10},
    {"monster: level 24501 bonus stops at 9", By_Monster, 24501, 0, 0, 1, 1, 0, 0, 32767, 9},
    {"monster: negative sum truncates toward zero", By_Monster, 0, 0, 17, 1, 1, 0, 3, 0, 0xFFFB},  // 34 / 3 / -2
    {"monster: product wraps and reads as negative", By_Monster, 0, 65535, 0, 1, 1, 65535, 0, 0, 1},
}};

TEST(Combat, AttackDamageTable) {
    for (const Damage_Case& c : Damage_Cases) {
        SCOPED_TRACE(c.name);
        Hero_Status_Info player{};
        player.level = c.level;
        player.exp = c.exp;
        Monster_Status_Info monster{};
        (c.hero_attacks ? player.attack : monster.attack) = c.attack;
        (c.hero_attacks ? monster.defense : player.defense) = c.defense;
        (c.hero_attacks ? monster.stat5 : player.stat5) = c.stat5;
        Skill_Info skill{};
        skill.power = c.power;
        skill.penetration = c.penetration;
        const int roll_level = c.hero_attacks ? c.level : (c.level * 2) / 3;
        const int following = Seed_For_Draw(2 * roll_level + 101, c.r);
        const uint16_t damage = c.hero_attacks ? Hero_Attack_Damage(player, monster, skill)
                                               : Monster_Attack_Damage(player, monster, skill);
        EXPECT_EQ(damage, c.damage);
        EXPECT_EQ(Next_Random(), following) << "exactly one random number per damage";
    }
}

struct Exp_Case {
    std::string name;
    uint16_t level;
    std::array<int32_t, 6> monster;  // hp, attack, defense, stat4, stat5, stat6
    int r;
    uint32_t exp_before;
    uint32_t exp_after;
};

const std::array<Exp_Case, 7> Exp_Cases{{
    {"stats summing to 60, bonus 0", 0, {10, 10, 10, 10, 10, 10}, 0, 0, 140},
    {"stats summing to 60, bonus 10", 0, {10, 10, 10, 10, 10, 10}, 100, 0, 160},
    {"bonus at level 5", 5, {10, 10, 10, 10, 10, 10}, 55, 7, 7 + 150},
    {"negative sum, sixth truncated toward zero", 0, {-32768, 0, 0, 0, 0, 0}, 0, 0, 54614},
    {"doubling drops the 17th bit", 0, {0, 40000, 0, 0, 0, 0}, 0, 0, 27796},
    {"largest stats keep 16 bits", 0, {32767, 65535, 65535, 65535, 65535, 65535}, 0, 0, 54598},
    {"experience wraps at 32 bits", 0, {10, 10, 10, 10, 10, 10}, 0, 4294967295u, 139},
}};

TEST(Combat, GainExpTable) {
    for (const Exp_Case& c : Exp_Cases) {
        SCOPED_TRACE(c.name);
        Hero_Status_Info winner{};
        winner.level = c.level;
        winner.exp = c.exp_before;
        Monster_Status_Info loser{};
        loser.hp = static_cast<int16_t>(c.monster[0]);
        loser.attack = static_cast<uint16_t>(c.monster[1]);
        loser.defense = static_cast<uint16_t>(c.monster[2]);
        loser.stat4 = static_cast<uint16_t>(c.monster[3]);
        loser.stat5 = static_cast<uint16_t>(c.monster[4]);
        loser.stat6 = static_cast<uint16_t>(c.monster[5]);
        const int following = Seed_For_Draw(2 * c.level + 101, c.r);
        Gain_Exp(winner, loser);
        EXPECT_EQ(winner.exp, c.exp_after);
        EXPECT_EQ(Next_Random(), following);
    }
}

struct Rating_Case {
    int16_t hp;
    uint16_t attack;
    uint16_t other;  // defense, stat4, stat5 and stat6 each
    uint16_t level;
    uint32_t rating;
};

const std::array<Rating_Case, 17> Rating_Cases{{
    {4, 0, 0, 1, 4},
    {9, 0, 0, 1, 9},
    {10, 0, 0, 1, 10},
    {44, 0, 0, 1, 40},
    {45, 0, 0, 1, 50},
    {33, 0, 0, 3, 100},  // 33 at level 3 is 99
    {96, 0, 0, 1, 100},
    {149, 0, 0, 1, 100},
    {150, 0, 0, 1, 200},
    {0, 65449, 0, 1, 65400},
    {0, 65450, 0, 1, 65500},
    {0, 65535, 0, 1, 65500},
    {1, 1, 1, 5, 30},          // six stats summing to 6, at level 5
    {-100, 0, 0, 1, 65400},    // -100 is 65436 in 16 bits
    {0, 65535, 2, 1, 7},       // 65543 keeps 7 in 16 bits
    {32767, 65535, 65535, 65535, 32800},
    {500, 0, 0, 0, 0},
}};

TEST(Combat, UpdateRatingTable) {
    for (const Rating_Case& c : Rating_Cases) {
        Hero_Status_Info rated{};
        rated.hp = c.hp;
        rated.attack = c.attack;
        rated.defense = rated.stat4 = rated.stat5 = rated.stat6 = c.other;
        rated.level = c.level;
        rated.rating = 123456789;
        Update_Rating(rated);
        EXPECT_EQ(rated.rating, c.rating) << "hp " << c.hp << " attack " << c.attack << " others " << c.other
                                          << " level " << c.level;
    }
}

// The six growth draws in order, from the seed already set.
std::array<int, 7> Next_Draws() {
    std::array<int, 7> draws{};
    for (int& draw : draws) draw = Next_Random();
    return draws;
}

int Delta(int base, int draw) { return std::max(0, base + draw % 5 - 2); }

// Each of the six stats draws once, in order; level, experience and rating stay.
TEST(Combat, GrowStatsTable) {
    struct Case {
        std::string name;
        uint16_t level;
        uint32_t exp;
        int16_t hp;
        uint16_t stat;  // attack, defense, stat4, stat5 and stat6 each
        int hp_base;
        int stat_base;
    };
    const std::array<Case, 6> cases{{
        {"a grown hero", 1, 1000, 100, 10, 50, 20},
        {"experience per level keeps 16 bits", 1, 65536 + 1000, 0, 0, 50, 20},
        {"no experience: negative growth clamps to 0", 1, 0, 0, 0, 0, 0},
        {"per level, unsigned", 7, 4294967295u, 0, 0, (613566756 & 0xFFFF) * 5 / 100,
         (613566756 & 0xFFFF) * 2 / 100},
        {"hp wraps past 32767", 1, 1000, 32767, 0, 50, 20},
        {"stats wrap past 65535", 1, 1000, 0, 65535, 50, 20},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            Hero_Status_Info grower{};
            grower.level = c.level;
            grower.exp = c.exp;
            grower.hp = c.hp;
            grower.attack = grower.defense = grower.stat4 = grower.stat5 = grower.stat6 = c.stat;
            grower.rating = 77;
            Seed_Random(seed);
            const std::array<int, 7> draws = Next_Draws();
            Seed_Random(seed);
            Grow_Stats(grower);
            ASSERT_EQ(grower.hp, static_cast<int16_t>(static_cast<uint16_t>(c.hp + Delta(c.hp_base, draws[0]))))
                << "seed " << seed;
            const std::array<uint16_t, 5> others{grower.attack, grower.defense, grower.stat4, grower.stat5,
                                                 grower.stat6};
            for (size_t i = 0; i < others.size(); ++i) {
                ASSERT_EQ(others[i], static_cast<uint16_t>(c.stat + Delta(c.stat_base, draws[i + 1])))
                    << "seed " << seed << " stat " << i;
            }
            ASSERT_EQ(Next_Random(), draws[6]) << "six draws, no more";
            ASSERT_EQ(grower.level, c.level);
            ASSERT_EQ(grower.exp, c.exp);
            ASSERT_EQ(grower.rating, 77u);
        }
    }
}

TEST(Combat, GrowStatsAtLevelZeroChangesNothingAndDrawsNothing) {
    Hero_Status_Info grower{};
    grower.exp = 1000;
    grower.hp = 5;
    grower.attack = grower.defense = grower.stat4 = grower.stat5 = grower.stat6 = 9;
    Seed_Random(42);
    const int first = Next_Random();
    Seed_Random(42);
    Grow_Stats(grower);
    EXPECT_EQ(grower.hp, 5);
    EXPECT_EQ(grower.attack, 9);
    EXPECT_EQ(grower.stat6, 9);
    EXPECT_EQ(Next_Random(), first);
}

}  // namespace
