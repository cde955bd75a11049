// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Recovery of hit points and the timed attack and defense boosts.
//
// A boost is a tiny state machine advanced by one call: the first call notes
// the stat's base value, the second raises the stat by half of it, six more
// calls count down, and the ninth puts the base value back, dropping any
// change made to the stat meanwhile. The tenth call can arm it again.

#include <cstdint>

// The hero's present hit points; hero.hp is their maximum.
extern int32_t current_hp;

struct Boost_State {
    int32_t timer = -1;      // -1 idle, 7 armed, 6 down to 0 raised
    int32_t saved_base = 0;  // the stat when the boost was armed
};

inline constexpr int32_t Boost_Idle = -1;
inline constexpr int32_t Boost_Armed = 7;
inline constexpr int32_t Boost_Last_Raised = 0;

extern Boost_State attack_boost;
extern Boost_State defense_boost;

// Adds half the maximum hit points, never past the maximum.
void Heal_Hero();

void Tick_Attack_Boost();
void Tick_Defense_Boost();
