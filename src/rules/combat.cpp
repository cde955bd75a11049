// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The battle formulas.
//
// Integer arithmetic is 32 bits wide and wraps modulo 2^32; the unsigned
// 16-bit stats enter it as non-negative values, hit points as signed ones.
// Every wrap is done in unsigned arithmetic, never by signed overflow.
//
// Random bonus for a level L: r = rand() % (2L + 101), bonus = 10r / (2L + 100),
// an integer from 0 to 10 (10 only when r = 2L + 100; from level 16,334 on
// rand() can no longer reach that, so the bonus tops out at 9).
//
// Hero's damage on a monster: draw r first, then sum in double precision
//   (attack * power / monster.defense  +  exp / (monster.defense * monster.stat5 - penetration))
//   + bonus
// The product and the second divisor are formed in 32-bit arithmetic and read
// as signed, so a product of 2^31 or more counts as negative and the divisor
// may be zero or negative. The sum is truncated toward zero and its low 16 bits
// are the damage. A zero divisor (an infinite or undefined sum) or a sum whose
// truncation does not fit a signed 32-bit value gives 0.
//
// Monster's damage on the hero: the same with the monster attacking through the
// hero's defense and stat5, at two thirds of the hero's level, L' = 2L / 3, and
// with two thirds of the hero's experience, (2 * exp mod 2^32) / 3.
//
// Experience from a monster: draw r, s = the monster's six stats summed,
// g = s + s / 6 + bonus; the gain is the low 16 bits of twice the low 16 bits
// of g, added to exp modulo 2^32.
//
// Rating: t = low 16 bits of (six stats summed) * level. From 10 to 99 it is
// rounded to tens, then from 100 on to hundreds, halves up; below 10 it stays.
//
// Growth: q = low 16 bits of exp / level. Each stat in the order hp, attack,
// defense, stat4, stat5, stat6 draws one random number and grows by
// q * 5 / 100 (hp) or q * 2 / 100 (the others) plus rand() % 5 - 2, never by
// less than 0, wrapping at 16 bits. A hero of level 0 has no experience per
// level to grow from: the stats stay as they are and nothing is drawn.

#include "rules/combat.h"

#include <algorithm>
#include <cmath>

#include "rules/random.h"

namespace {

// The random number for a level L, drawn now.
int32_t Roll(int32_t level) { return Next_Random() % (2 * level + 101); }

// trunc(r / (2L + 100) * 10.0) equals this integer quotient for every r and L.
int32_t Bonus(int32_t level, int32_t r) { return (10 * r) / (2 * level + 100); }

// A 32-bit result read as signed, the wrap done without signed overflow.
int32_t As_Signed(uint32_t bits) { return static_cast<int32_t>(bits); }

// Both damage formulas share this shape; a zero divisor makes the sum
// infinite or undefined, which gives 0 like any sum out of range.
struct Damage_Terms {
    int32_t product;           // attack * power
    int32_t first_divisor;     // defender's defense
    double experience;         // what is divided in the second term
    int32_t second_divisor;    // defense * stat5 - penetration
    int32_t bonus;
};

// The open interval whose truncations fit a signed 32-bit value.
constexpr double Below_Int32 = -2147483649.0;
constexpr double Above_Int32 = 2147483648.0;

Damage_Outcome Low_Bits_Of_Truncated(double sum) {
    // Checked before converting: a value out of range has no defined conversion.
    if (!std::isfinite(sum) || sum <= Below_Int32 || sum >= Above_Int32) return {0, Damage_Kind::Beyond_32_Bits, 0};
    const auto whole = static_cast<int32_t>(sum);  // truncates toward zero
    const auto damage = static_cast<uint16_t>(static_cast<uint32_t>(whole));
    return {damage, whole == damage ? Damage_Kind::In_Range : Damage_Kind::Wrapped, whole};
}

Damage_Outcome Damage(const Damage_Terms& terms) {
    if (terms.first_divisor == 0 || terms.second_divisor == 0) return {0, Damage_Kind::Zero_Divisor, 0};
    const double first = static_cast<double>(terms.product) / terms.first_divisor;
    const double second = terms.experience / terms.second_divisor;
    return Low_Bits_Of_Truncated((first + second) + terms.bonus);
}

uint32_t Stat_Sum(int16_t hp, uint16_t attack, uint16_t defense, uint16_t stat4, uint16_t stat5,
                  uint16_t stat6) {
    return static_cast<uint32_t>(static_cast<int32_t>(hp)) + attack + defense + stat4 + stat5 + stat6;
}

uint32_t Rounded_To(uint32_t t, uint32_t step) {
    const uint32_t rest = t % step;
    return rest >= step / 2 ? t - rest + step : t - rest;  // halves up
}

// One stat's growth for its roll (rand() % 5): base plus roll - 2, read as
// 16-bit signed and never below 0.
int32_t Growth(int32_t base, int32_t roll) {
    const int32_t d = base + (roll - 2);
    const auto as_16_bits = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(d)));
    return as_16_bits < 0 ? 0 : as_16_bits;
}

template <typename Stat>
void Grow(Stat& stat, int32_t base, int32_t roll) {
    const int32_t d = Growth(base, roll);
    stat = static_cast<Stat>(static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(stat)) +
                                                   static_cast<uint32_t>(d)));
}

constexpr int32_t Hp_Growth_Per_100 = 5;
constexpr int32_t Stat_Growth_Per_100 = 2;

}  // namespace

int32_t Hero_Roll_Level(const Hero_Status_Info& hero) { return hero.level; }

int32_t Monster_Roll_Level(const Hero_Status_Info& hero) { return (hero.level * 2) / 3; }

int32_t Largest_Roll(int32_t level) { return std::min(2 * level + 100, Random_Max); }

Damage_Outcome Hero_Attack_Damage_For_Roll(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                                           const Skill_Info& skill, int32_t r) {
    return Damage({
        .product = As_Signed(uint32_t{hero.attack} * skill.power),
        .first_divisor = monster.defense,
        .experience = static_cast<double>(hero.exp),
        .second_divisor = As_Signed(uint32_t{monster.defense} * monster.stat5 - skill.penetration),
        .bonus = Bonus(Hero_Roll_Level(hero), r),
    });
}

Damage_Outcome Monster_Attack_Damage_For_Roll(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                                              const Skill_Info& skill, int32_t r) {
    return Damage({
        .product = As_Signed(uint32_t{monster.attack} * skill.power),
        .first_divisor = hero.defense,
        // NOLINTNEXTLINE(bugprone-integer-division): whole points, as the game counts them
        .experience = static_cast<double>((hero.exp * 2u) / 3u),
        .second_divisor = As_Signed(uint32_t{hero.defense} * hero.stat5 - skill.penetration),
        .bonus = Bonus(Monster_Roll_Level(hero), r),
    });
}

Exp_Outcome Exp_Gain_For_Roll(const Hero_Status_Info& hero, const Monster_Status_Info& monster, int32_t r) {
    const int32_t s = As_Signed(Stat_Sum(monster.hp, monster.attack, monster.defense, monster.stat4,
                                         monster.stat5, monster.stat6));
    const int32_t g = s + s / 6 + Bonus(Hero_Roll_Level(hero), r);  // at most 7/6 of 6 * 65535 + 10: no overflow
    const auto low = static_cast<uint16_t>(static_cast<uint32_t>(g));
    return {static_cast<uint16_t>(uint32_t{low} * 2u), 2 * g};
}

void Grow_Stats_With_Rolls(Hero_Status_Info& hero, const std::array<int32_t, Growing_Stats>& rolls) {
    if (hero.level == 0) return;
    const int32_t q = static_cast<uint16_t>(hero.exp / hero.level);
    Grow(hero.hp, q * Hp_Growth_Per_100 / 100, rolls[0]);
    Grow(hero.attack, q * Stat_Growth_Per_100 / 100, rolls[1]);
    Grow(hero.defense, q * Stat_Growth_Per_100 / 100, rolls[2]);
    Grow(hero.stat4, q * Stat_Growth_Per_100 / 100, rolls[3]);
    Grow(hero.stat5, q * Stat_Growth_Per_100 / 100, rolls[4]);
    Grow(hero.stat6, q * Stat_Growth_Per_100 / 100, rolls[5]);
}

// The game's own operations draw their random numbers first, in the order
// they always have, and evaluate the same formulas.

uint16_t Hero_Attack_Damage(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                            const Skill_Info& skill) {
    const int32_t r = Roll(Hero_Roll_Level(hero));
    return Hero_Attack_Damage_For_Roll(hero, monster, skill, r).damage;
}

uint16_t Monster_Attack_Damage(const Hero_Status_Info& hero, const Monster_Status_Info& monster,
                               const Skill_Info& skill) {
    const int32_t r = Roll(Monster_Roll_Level(hero));
    return Monster_Attack_Damage_For_Roll(hero, monster, skill, r).damage;
}

void Gain_Exp(Hero_Status_Info& hero, const Monster_Status_Info& monster) {
    const int32_t r = Roll(Hero_Roll_Level(hero));
    hero.exp += Exp_Gain_For_Roll(hero, monster, r).gain;
}

void Update_Rating(Hero_Status_Info& hero) {
    const uint32_t sum = Stat_Sum(hero.hp, hero.attack, hero.defense, hero.stat4, hero.stat5, hero.stat6);
    uint32_t t = static_cast<uint16_t>(sum * hero.level);
    if (t >= 10 && t < 100) t = Rounded_To(t, 10);
    if (t >= 100) t = Rounded_To(t, 100);
    hero.rating = t;
}

void Grow_Stats(Hero_Status_Info& hero) {
    if (hero.level == 0) return;
    // One number per stat, in the order the stats grow.
    std::array<int32_t, Growing_Stats> rolls{};
    for (int32_t& roll : rolls) roll = Next_Random() % 5;
    Grow_Stats_With_Rolls(hero, rolls);
}
