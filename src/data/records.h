// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The hero, monster and skill records, filled from their status files at
// start-up and living for the whole run.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

struct Hero_Status_Info {
    std::array<char, 30> name;  // zero-terminated Shift-JIS, 29 bytes at most
    int16_t hp;                 // maximum hit points
    uint16_t attack;
    uint16_t defense;
    uint16_t stat4;
    uint16_t stat5;
    uint16_t stat6;
    uint32_t rating;
    uint32_t exp;
    uint16_t level;
    uint16_t aux;
    std::array<uint16_t, 3> group3;
    std::array<uint16_t, 5> group4;
    std::array<uint16_t, 6> group5;
    uint16_t x;  // field column of the hero's left cell
    uint16_t y;  // field row
};

struct Monster_Status_Info {
    std::array<char, 20> name;  // 19 bytes at most
    uint16_t lead_value;
    std::array<char, 4> glyph;  // one full-width character drawn on the field
    uint16_t pre_value;
    int16_t hp;
    uint16_t attack;
    uint16_t defense;
    uint16_t stat4;
    uint16_t stat5;
    uint16_t stat6;
    uint16_t post_value;
    uint16_t x;  // set by the game, never read from the file
    uint16_t y;
};

struct Skill_Info {
    std::array<char, 20> name;  // 19 bytes at most
    uint16_t lead_value;
    uint16_t power;
    uint16_t penetration;
};

// The records' sizes and field offsets are the game's memory layout; keep
// them fixed. The files are text, read and written value by value, so no file
// holds these bytes: what the buffers' sizes decide there is how long a name
// may be, and the fields' widths where a number wraps.
static_assert(offsetof(Hero_Status_Info, hp) == 30);
static_assert(offsetof(Hero_Status_Info, rating) == 44);
static_assert(offsetof(Hero_Status_Info, group5) == 72);
static_assert(sizeof(Hero_Status_Info) == 88);
static_assert(offsetof(Monster_Status_Info, glyph) == 22);
static_assert(offsetof(Monster_Status_Info, x) == 42);
static_assert(sizeof(Monster_Status_Info) == 46);
static_assert(sizeof(Skill_Info) == 26);

enum Monster_Index { Pawn, Knight, Bishop, Rook, Queen, King, Monster_Count };
enum Skill_Index { SwordCut, Flame, BigRevolveSword, HellFlame, AbsoluteObedience, Skill_Count };

extern Hero_Status_Info hero;
extern std::array<Monster_Status_Info, Monster_Count> monsters;
extern std::array<Skill_Info, Skill_Count> skills;

// The text held in a record's buffer: up to its zero, never past the buffer.
template <size_t N>
std::string_view Text_Of(const std::array<char, N>& buffer) {
    size_t length = 0;
    while (length < N && buffer[length] != '\0') ++length;
    return {buffer.data(), length};
}

// The file every hero load and save goes through.
inline constexpr const char* Hero_File_Name = "Hero_Status_Info.txt";
