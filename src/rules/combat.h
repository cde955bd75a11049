// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The battle formulas: damage both ways, experience, rating and stat growth.
// The rules themselves are written out at the top of combat.cpp.

#include <array>
#include <cstdint>

#include "data/records.h"

// The damage of the hero's skill on a monster, as a 16-bit pattern (a small
// negative total comes back as its two's complement, -5 as 0xFFFB).
uint16_t Hero_Attack_Damage(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                            const Skill_Info& skill);

// The damage of a monster's skill on the hero, as a 16-bit pattern.
uint16_t Monster_Attack_Damage(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                               const Skill_Info& skill);

// Adds the experience won from the monster to hero.exp.
void Gain_Exp(Hero_Status_Info& hero, const Monster_Status_Info& monster);

// Sets hero.rating from the six stats and the level.
void Update_Rating(Hero_Status_Info& hero);

// Grows the six stats from the experience per level. At level 0 nothing
// changes and no random number is drawn.
void Grow_Stats(Hero_Status_Info& hero);

// The same formulas for a given random number instead of a fresh draw, so
// that the data checker can tabulate every value a roll can take. The
// functions above draw their numbers and hand them to these.

// Each formula draws r = rand() % (2L + 101) at a level L: the hero's level,
// or two thirds of it for the monster's damage. r never exceeds the largest
// roll, 2L + 100 or 32767, whichever is smaller.
int32_t Hero_Roll_Level(const Hero_Status_Info& hero);
int32_t Monster_Roll_Level(const Hero_Status_Info& hero);
int32_t Largest_Roll(int32_t level);

enum class Damage_Kind : uint8_t {
    In_Range,        // the total truncated is the damage
    Wrapped,         // the truncated total is outside 0..65535: its low 16 bits
    Zero_Divisor,    // a term divides by zero: the damage is 0
    Beyond_32_Bits,  // the total does not fit a signed 32-bit value: 0
};

struct Damage_Outcome {
    uint16_t damage;  // what the damage functions return
    Damage_Kind kind;
    int32_t whole;  // the truncated total, when it fits 32 bits
};

Damage_Outcome Hero_Attack_Damage_For_Roll(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                                           const Skill_Info& skill, int32_t r);
Damage_Outcome Monster_Attack_Damage_For_Roll(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                                              const Skill_Info& skill, int32_t r);

struct Exp_Outcome {
    uint16_t gain;  // what Gain_Exp adds
    int32_t whole;  // twice the sum, before it is cut to 16 bits
};

Exp_Outcome Exp_Gain_For_Roll(const Hero_Status_Info& hero, const Monster_Status_Info& monster, int32_t r);

// Grow_Stats with each stat's rand() % 5 given (0 to 4), in the order hp,
// attack, defense, stat4, stat5, stat6.
inline constexpr size_t Growing_Stats = 6;
void Grow_Stats_With_Rolls(Hero_Status_Info& hero, const std::array<int32_t, Growing_Stats>& rolls);
