#pragma once
// Steps on the field, for the hero and the monsters alike, under one
// passability rule tested against Field_Map. Characters never block each other.

#include "data/records.h"

// Direction codes: the key codes the arrow keys give.
enum Move_Code : int { Code_Up = 72, Code_Left = 75, Code_Right = 77, Code_Down = 80 };

// 1 when the step is allowed (any code other than the four moves is), else 0.
int Can_Hero_Move(int code);
int Can_Monster_Move(int code, const Monster_Status_Info& monster);

// Where a step takes a character, allowed or not: up and down one row, left
// and right two columns, the width of one glyph. Any other code stays put.
template <typename Character>
void Take_Step(Character& who, int code) {
    switch (code) {
        case Code_Up: who.y = static_cast<uint16_t>(who.y - 1); break;
        case Code_Down: who.y = static_cast<uint16_t>(who.y + 1); break;
        case Code_Left: who.x = static_cast<uint16_t>(who.x - 2); break;
        case Code_Right: who.x = static_cast<uint16_t>(who.x + 2); break;
        default: break;
    }
}

// Moves the hero one step for the four direction codes; any other code does
// nothing.
void Move_Hero(int code);

// One monster step: 1 when made, 0 (nothing changed) when refused.
int Monster_Step_Up(Monster_Status_Info& monster);
int Monster_Step_Down(Monster_Status_Info& monster);
int Monster_Step_Left(Monster_Status_Info& monster);
int Monster_Step_Right(Monster_Status_Info& monster);
