// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Steps on the field, for the hero and the monsters alike, under one
// passability rule tested against Field_Map. Characters never block each other.

#include <array>
#include <cstdint>

#include "data/records.h"

// Direction codes: the key codes the arrow keys give.
enum Move_Code : int { Code_Up = 72, Code_Left = 75, Code_Right = 77, Code_Down = 80 };

// What each direction code does: the step, in columns and rows. A character
// is one full-width glyph, two cells wide, so it steps two columns at a time.
struct Move_Step {
    int code;
    int32_t dx;
    int32_t dy;
};

inline constexpr std::array<Move_Step, 4> Move_Steps = {{
    {Code_Up, 0, -1},
    {Code_Down, 0, 1},
    {Code_Left, -2, 0},
    {Code_Right, 2, 0},
}};

// Null for every code that is not a move.
constexpr const Move_Step* Step_Of(int code) {
    for (const Move_Step& step : Move_Steps) {
        if (step.code == code) return &step;
    }
    return nullptr;
}

// Where a step takes a character, allowed or not. Any other code stays put.
template <typename Character>
void Take_Step(Character& who, int code) {
    const Move_Step* step = Step_Of(code);
    if (step == nullptr) return;
    who.x = static_cast<uint16_t>(who.x + step->dx);
    who.y = static_cast<uint16_t>(who.y + step->dy);
}

// 1 when the step is allowed (any code other than the four moves is), else 0.
int Can_Hero_Move(int code);
int Can_Monster_Move(int code, const Monster_Status_Info& monster);

// Moves the hero one step for the four direction codes; any other code does
// nothing.
void Move_Hero(int code);

// One monster step: 1 when made, 0 (nothing changed) when refused.
int Monster_Step_Up(Monster_Status_Info& monster);
int Monster_Step_Down(Monster_Status_Info& monster);
int Monster_Step_Left(Monster_Status_Info& monster);
int Monster_Step_Right(Monster_Status_Info& monster);
