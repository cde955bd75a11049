// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "rules/recovery.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "data/records.h"

namespace {

class Recovery : public ::testing::Test {
protected:
    void SetUp() override {
        hero = {};
        current_hp = 0;
        attack_boost = {};
        defense_boost = {};
    }
};

TEST_F(Recovery, HealAddsHalfTheMaximumUpToIt) {
    hero.hp = 101;
    std::vector<int32_t> seen;
    for (int i = 0; i < 4; ++i) {
        Heal_Hero();
        seen.push_back(current_hp);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{50, 100, 101, 101}));
}

TEST_F(Recovery, HealEdges) {
    struct Case {
        int16_t max_hp;
        int32_t before;
        int32_t after;
    };
    const std::array<Case, 6> cases{{
        {1, 0, 0},                 // half of 1 is 0
        {-5, 10, -5},              // half of -5 is -2 toward zero, then the cap
        {-5, -20, -22},
        {32767, 32700, 32767},
        {100, -1000, -950},
        // A present value no stat can give wraps like the 32-bit value,
        // without signed overflow.
        {100, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min() + 49},
    }};
    for (const Case& c : cases) {
        hero.hp = c.max_hp;
        current_hp = c.before;
        Heal_Hero();
        EXPECT_EQ(current_hp, c.after) << "max " << c.max_hp << " from " << c.before;
        EXPECT_EQ(hero.hp, c.max_hp);
    }
}

// The stat after each of `calls` ticks.
template <typename Tick>
std::vector<int> Stat_After_Ticks(Tick tick, const uint16_t& stat, int calls) {
    std::vector<int> seen;
    for (int i = 0; i < calls; ++i) {
        tick();
        seen.push_back(stat);
    }
    return seen;
}

TEST_F(Recovery, AttackBoostHoldsForSevenCallsThenRestores) {
    hero.attack = 31;
    EXPECT_EQ(Stat_After_Ticks(Tick_Attack_Boost, hero.attack, 9),
              (std::vector<int>{31, 46, 46, 46, 46, 46, 46, 46, 31}));
    EXPECT_EQ(attack_boost.timer, Boost_Idle);
    EXPECT_EQ(defense_boost.timer, Boost_Idle);
    // The tenth call arms it again with the present base.
    hero.attack = 40;
    EXPECT_EQ(Stat_After_Ticks(Tick_Attack_Boost, hero.attack, 9),
              (std::vector<int>{40, 60, 60, 60, 60, 60, 60, 60, 40}));
}

TEST_F(Recovery, BoostsRunIndependently) {
    hero.attack = 10;
    hero.defense = 100;
    Tick_Attack_Boost();
    Tick_Attack_Boost();
    Tick_Attack_Boost();
    EXPECT_EQ(defense_boost.timer, Boost_Idle);
    Tick_Defense_Boost();
    EXPECT_EQ(attack_boost.timer, 5);
    EXPECT_EQ(defense_boost.timer, Boost_Armed);
    Tick_Defense_Boost();
    EXPECT_EQ(hero.attack, 15);
    EXPECT_EQ(hero.defense, 150);
    for (int i = 0; i < 6; ++i) Tick_Attack_Boost();
    EXPECT_EQ(hero.attack, 10);
    EXPECT_EQ(hero.defense, 150);
    EXPECT_EQ(defense_boost.timer, 6);
    for (int i = 0; i < 7; ++i) Tick_Defense_Boost();
    EXPECT_EQ(hero.defense, 100);
    EXPECT_EQ(hero.attack, 10);
}

TEST_F(Recovery, RestoreDropsChangesMadeWhileRaised) {
    hero.attack = 20;
    Tick_Attack_Boost();
    Tick_Attack_Boost();
    hero.attack = 500;  // grown while the boost ran
    for (int i = 0; i < 7; ++i) Tick_Attack_Boost();
    EXPECT_EQ(hero.attack, 20);
}

TEST_F(Recovery, RaisedStatWrapsAt16Bits) {
    hero.attack = 65535;
    Tick_Attack_Boost();
    Tick_Attack_Boost();
    EXPECT_EQ(hero.attack, (65535 + 32767) % 65536);
    for (int i = 0; i < 7; ++i) Tick_Attack_Boost();
    EXPECT_EQ(hero.attack, 65535);
}

TEST_F(Recovery, BoostArmedWithAStatChangedBeforeTheRaise) {
    // The raise is half the base noted when armed, not of the stat now.
    hero.attack = 100;
    Tick_Attack_Boost();
    hero.attack = 10;
    Tick_Attack_Boost();
    EXPECT_EQ(hero.attack, 60);
}

TEST_F(Recovery, OddTimerValuesCountDownWithoutOverflow) {
    attack_boost.timer = std::numeric_limits<int32_t>::min();
    hero.attack = 3;
    Tick_Attack_Boost();
    EXPECT_EQ(attack_boost.timer, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(hero.attack, 3);
}

}  // namespace
