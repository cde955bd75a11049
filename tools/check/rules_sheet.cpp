// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "rules_sheet.h"

#include <algorithm>

#include "cp932_text.h"
#include "rules/recovery.h"
#include "tr.h"

namespace {

void Take(Value_Range& range, bool& first, int64_t value) {
    range.lowest = first ? value : std::min(range.lowest, value);
    range.highest = first ? value : std::max(range.highest, value);
    first = false;
}

void Take(Value_Range& range, bool& first, const Damage_Outcome& outcome) {
    Take(range, first, outcome.damage);
    range.wraps |= outcome.kind == Damage_Kind::Wrapped;
    range.zero_divisor |= outcome.kind == Damage_Kind::Zero_Divisor;
    range.beyond_32_bits |= outcome.kind == Damage_Kind::Beyond_32_Bits;
}

// Every value a damage takes over every random number its roll can give.
template <typename Formula>
Value_Range Damage_Range(int32_t level, Formula formula) {
    Value_Range range;
    bool first = true;
    for (int32_t r = 0; r <= Largest_Roll(level); ++r) Take(range, first, formula(r));
    return range;
}

Value_Range Experience_Range(const Hero_Status_Info& hero, const Monster_Status_Info& monster) {
    Value_Range range;
    bool first = true;
    for (int32_t r = 0; r <= Largest_Roll(Hero_Roll_Level(hero)); ++r) {
        const Exp_Outcome outcome = Exp_Gain_For_Roll(hero, monster, r);
        Take(range, first, outcome.gain);
        range.wraps |= outcome.whole != outcome.gain;
    }
    return range;
}

// Each stat's growth depends on its own roll only, so five steps with every
// stat rolling the same number show each stat's every outcome.
void Fill_Growth(Rules_Sheet& sheet, const Hero_Status_Info& hero) {
    sheet.grows = hero.level != 0;
    const auto stats = [](const Hero_Status_Info& h) {
        return std::array<int64_t, Growing_Stats>{h.hp, h.attack, h.defense, h.stat4, h.stat5, h.stat6};
    };
    constexpr std::array<const char*, Growing_Stats> Names = {"hp", "attack", "defense", "stat4", "stat5", "stat6"};
    const std::array<int64_t, Growing_Stats> now = stats(hero);
    std::array<bool, Growing_Stats> first{};
    first.fill(true);
    for (int32_t roll = 0; roll < 5; ++roll) {
        Hero_Status_Info grown = hero;
        std::array<int32_t, Growing_Stats> rolls{};
        rolls.fill(roll);
        Grow_Stats_With_Rolls(grown, rolls);
        const std::array<int64_t, Growing_Stats> after = stats(grown);
        for (size_t i = 0; i < Growing_Stats; ++i) {
            Growth_Row& row = sheet.growth[i];
            row.stat = Names[i];
            row.now = now[i];
            Take(row.after, first[i], after[i]);
            row.after.wraps |= after[i] < now[i];  // growth is never negative: smaller means wrapped
        }
    }
}

// Recovery and the boosts work on the game's own hero and state; they are
// set to the hero as loaded for the while and put back.
void Fill_Recovery(Rules_Sheet& sheet, const Hero_Status_Info& loaded) {
    const Hero_Status_Info saved = hero;
    const int32_t saved_hp = current_hp;
    const Boost_State saved_attack = attack_boost, saved_defense = defense_boost;
    constexpr int Most_Heals = 64;

    hero = loaded;
    current_hp = 0;
    for (int heals = 1; heals <= Most_Heals; ++heals) {
        Heal_Hero();
        if (heals == 1) sheet.first_heal = current_hp;
        if (current_hp >= hero.hp) {
            sheet.heals_to_full = heals;
            break;
        }
    }
    attack_boost = {};
    defense_boost = {};
    for (int call = 0; call < 2; ++call) {  // armed, then raised
        Tick_Attack_Boost();
        Tick_Defense_Boost();
    }
    sheet.attack_raised = hero.attack;
    sheet.defense_raised = hero.defense;

    hero = saved;
    current_hp = saved_hp;
    attack_boost = saved_attack;
    defense_boost = saved_defense;
}

}  // namespace

Rules_Sheet Sheet_For(const Hero_Status_Info& hero, const std::array<Monster_Status_Info, Monster_Count>& monsters,
                      const std::array<Skill_Info, Skill_Count>& skills) {
    Rules_Sheet sheet;
    for (size_t s = 0; s < skills.size(); ++s) {
        for (size_t m = 0; m < monsters.size(); ++m) {
            const Monster_Status_Info& monster = monsters[m];
            const Skill_Info& skill = skills[s];
            sheet.damage.push_back({
                s,
                m,
                Damage_Range(Hero_Roll_Level(hero),
                             [&](int32_t r) { return Hero_Attack_Damage_For_Roll(hero, monster, skill, r); }),
                Damage_Range(Monster_Roll_Level(hero),
                             [&](int32_t r) { return Monster_Attack_Damage_For_Roll(hero, monster, skill, r); }),
            });
        }
    }
    for (size_t m = 0; m < monsters.size(); ++m) sheet.experience[m] = Experience_Range(hero, monsters[m]);
    Hero_Status_Info rated = hero;
    Update_Rating(rated);
    sheet.rating = rated.rating;
    Fill_Growth(sheet, hero);
    Fill_Recovery(sheet, hero);
    return sheet;
}

std::string Range_Text(const Value_Range& range) {
    std::string text = std::to_string(range.lowest);
    if (range.highest != range.lowest) text += " .. " + std::to_string(range.highest);
    // TRANSLATORS: %s is a number or a range of numbers.
    if (range.zero_divisor) text = Fill(Tr("%s (zero divisor)"), {text});
    if (range.beyond_32_bits) text = Fill(Tr("%s (0 beyond 32 bits)"), {text});
    if (range.wraps) text = Fill(Tr("%s (wraps)"), {text});
    return text;
}

namespace {

using Table_Rows = std::vector<std::vector<std::string>>;

// Columns padded to their widest cell, two spaces apart; in safe code page
// 932 text one byte is one column. Columns marked in `right` align right.
void Add_Table(std::vector<std::string>& lines, const Table_Rows& rows, const std::vector<bool>& right) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string pad(widths[c] - row[c].size(), ' ');
            const bool to_right = c < right.size() && right[c];
            line += (to_right ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : "")) + (c + 1 < row.size() ? "  " : "");
        }
        lines.push_back(line);
    }
}

template <size_t N>
std::string Name(const std::array<char, N>& buffer) {
    return Made_Safe(Text_Of(buffer));
}

std::string Growth_Title(const Hero_Status_Info& hero) {
    return Fill(Tr("one growth step, from exp %s at level %s"), {std::to_string(hero.exp), std::to_string(hero.level)});
}

}  // namespace

std::vector<std::string> Sheet_Lines(const Rules_Sheet& sheet, const Hero_Status_Info& hero,
                                     const std::array<Monster_Status_Info, Monster_Count>& monsters,
                                     const std::array<Skill_Info, Skill_Count>& skills) {
    std::vector<std::string> lines;
    lines.push_back(Fill(Tr("rules sheet for the hero '%s': level %s, exp %s, hp %s, attack %s, defense %s, stat5 %s"),
                         {Name(hero.name), std::to_string(hero.level), std::to_string(hero.exp),
                          std::to_string(hero.hp), std::to_string(hero.attack), std::to_string(hero.defense),
                          std::to_string(hero.stat5)}));

    lines.push_back("");
    lines.push_back(Tr("damage over every random bonus, lowest to highest"));
    Table_Rows damage = {{Tr("skill"), Tr("monster"), Tr("to the monster"), Tr("to the hero")}};
    for (const Damage_Row& row : sheet.damage) {
        damage.push_back({Name(skills[row.skill].name), Name(monsters[row.monster].name), Range_Text(row.to_monster),
                          Range_Text(row.to_hero)});
    }
    Add_Table(lines, damage, {false, false, true, true});

    lines.push_back("");
    lines.push_back(Tr("experience from each monster"));
    Table_Rows experience = {{Tr("monster"), Tr("gain")}};
    for (size_t m = 0; m < monsters.size(); ++m) {
        experience.push_back({Name(monsters[m].name), Range_Text(sheet.experience[m])});
    }
    Add_Table(lines, experience, {false, true});

    lines.push_back("");
    if (sheet.grows) {
        lines.push_back(Growth_Title(hero));
        Table_Rows growth = {{Tr("stat"), Tr("now"), Tr("after")}};
        for (const Growth_Row& row : sheet.growth) {
            growth.push_back({row.stat, std::to_string(row.now), Range_Text(row.after)});
        }
        Add_Table(lines, growth, {false, true, true});
    } else {
        lines.push_back(Fill(Tr("%s: none, as nothing grows at level 0"), {Growth_Title(hero)}));
    }

    lines.push_back("");
    const std::string full =
        sheet.heals_to_full > 0
            ? Fill(Tr_Plural("full after %s heal", "full after %s heals", sheet.heals_to_full),
                   {std::to_string(sheet.heals_to_full)})
            : std::string(Tr("never full"));
    const char* raised = Tr("%s raised to %s");
    Add_Table(lines,
              {{Tr("rating"), Fill(Tr("%s (the file holds %s)"), {std::to_string(sheet.rating), std::to_string(hero.rating)})},
               {Tr("heal"), Fill(Tr("from 0 to %s of %s hit points; %s"),
                                 {std::to_string(sheet.first_heal), std::to_string(hero.hp), full})},
               {Tr("attack boost"), Fill(raised, {std::to_string(hero.attack), std::to_string(sheet.attack_raised)})},
               {Tr("defense boost"), Fill(raised, {std::to_string(hero.defense), std::to_string(sheet.defense_raised)})}},
              {});
    return lines;
}
