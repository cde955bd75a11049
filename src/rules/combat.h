#pragma once
// The battle formulas: damage both ways, experience, rating and stat growth.
// The rules themselves are written out at the top of combat.cpp.

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
