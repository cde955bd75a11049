// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The battle rules worked out for the hero as loaded, by the game's own rule
// code: every value each formula can give, over every random number it can
// draw, with the 16-bit results as the game stores them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/records.h"
#include "rules/combat.h"

// The lowest and highest value a formula gives, and how any of them came about.
struct Value_Range {
    int64_t lowest = 0;
    int64_t highest = 0;
    bool wraps = false;           // some value was cut to 16 bits
    bool zero_divisor = false;    // a term divides by zero: the damage is 0
    bool beyond_32_bits = false;  // some total does not fit 32 bits: that damage is 0
};

struct Damage_Row {
    size_t skill;
    size_t monster;
    Value_Range to_monster;  // the hero's skill on the monster
    Value_Range to_hero;     // the monster through the same skill on the hero
};

struct Growth_Row {
    const char* stat;
    int64_t now;
    Value_Range after;  // the stat after one growth step
};

struct Rules_Sheet {
    std::vector<Damage_Row> damage;  // each skill against each monster
    std::array<Value_Range, Monster_Count> experience{};
    uint32_t rating = 0;  // as Update_Rating sets it
    bool grows = false;   // a hero of level 0 does not grow
    std::array<Growth_Row, Growing_Stats> growth{};
    int32_t first_heal = 0;  // the hit points after one heal from 0
    int heals_to_full = 0;   // 0 when heals never reach the maximum
    uint16_t attack_raised = 0;
    uint16_t defense_raised = 0;
};

Rules_Sheet Sheet_For(const Hero_Status_Info& hero, const std::array<Monster_Status_Info, Monster_Count>& monsters,
                      const std::array<Skill_Info, Skill_Count>& skills);

// "12 .. 22", "0 (zero divisor)", "0 .. 65535 (wraps)"
std::string Range_Text(const Value_Range& range);

// The sheet as aligned text lines in code page 932.
std::vector<std::string> Sheet_Lines(const Rules_Sheet& sheet, const Hero_Status_Info& hero,
                                     const std::array<Monster_Status_Info, Monster_Count>& monsters,
                                     const std::array<Skill_Info, Skill_Count>& skills);
