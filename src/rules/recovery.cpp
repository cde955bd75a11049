// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "rules/recovery.h"

#include "data/records.h"

int32_t current_hp = 0;
Boost_State attack_boost{};
Boost_State defense_boost{};

namespace {

// The stat plus a 32-bit amount, kept to the stat's 16 bits.
uint16_t Added(uint16_t stat, int32_t amount) {
    return static_cast<uint16_t>(stat + static_cast<uint32_t>(amount));
}

void Tick_Boost(Boost_State& boost, uint16_t& stat) {
    switch (boost.timer) {
        case Boost_Idle:
            boost.saved_base = stat;
            boost.timer = Boost_Armed;
            return;
        case Boost_Armed:
            stat = Added(stat, boost.saved_base / 2);
            break;
        case Boost_Last_Raised:
            stat = static_cast<uint16_t>(static_cast<uint32_t>(boost.saved_base));
            boost.timer = Boost_Idle;
            return;
        default:
            break;
    }
    // A timer set to anything else counts down too, wrapping rather than
    // overflowing at the bottom of the range.
    boost.timer = static_cast<int32_t>(static_cast<uint32_t>(boost.timer) - 1u);
}

}  // namespace

void Heal_Hero() {
    // Wraps like the 32-bit machine value rather than overflowing.
    current_hp = static_cast<int32_t>(static_cast<uint32_t>(current_hp) + static_cast<uint32_t>(hero.hp / 2));
    if (current_hp > hero.hp) current_hp = hero.hp;
}

void Tick_Attack_Boost() { Tick_Boost(attack_boost, hero.attack); }

void Tick_Defense_Boost() { Tick_Boost(defense_boost, hero.defense); }
