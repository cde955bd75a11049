// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "field/walking.h"

#include <cstdint>
#include <string_view>

#include "field/field_map.h"
#include "shell/console.h"

namespace {

// A cell outside the grid blocks: positions come from files, and a step must
// never read past the map.
bool Is_Open(int32_t row, int32_t column) {
    if (row < 0 || row >= Field_Rows || column < 0 || column >= Field_Columns) return false;
    return Field_Map[row][column] == 0;
}

// A horizontal step moves into both cells of its target and tests both; a
// vertical one has always tested only the target's left cell. Down from the
// bottom row (18) and right from column 52 are refused because their targets
// lie past the grid's edge, as up from row 0 and left from columns 0 and 1 are.
// A step from a position outside the grid is refused even where the cells it
// tests happen to lie inside it.
int Can_Move(int code, uint16_t x, uint16_t y) {
    const Move_Step* step = Step_Of(code);
    if (step == nullptr) return 1;
    if (x >= Field_Columns || y >= Field_Rows) return 0;
    const int32_t row = y + step->dy;
    const int32_t column = x + step->dx;
    const int32_t cells_tested = step->dx == 0 ? 1 : 2;
    for (int32_t cell = 0; cell < cells_tested; ++cell) {
        if (!Is_Open(row, column + cell)) return 0;
    }
    return 1;
}

template <typename Character>
void Redraw_Moved(Character& who, int code, std::string_view glyph) {
    Draw_At(who.x, who.y, Eraser);
    Take_Step(who, code);
    Draw_At(who.x, who.y, glyph);
}

int Monster_Step(Monster_Status_Info& monster, Move_Code code) {
    Fetch_Output_Handle();
    if (Can_Monster_Move(code, monster) == 0) return 0;
    Redraw_Moved(monster, code, Text_Of(monster.glyph));
    return 1;
}

}  // namespace

int Can_Hero_Move(int code) { return Can_Move(code, hero.x, hero.y); }

int Can_Monster_Move(int code, const Monster_Status_Info& monster) {
    return Can_Move(code, monster.x, monster.y);
}

void Move_Hero(int code) {
    Fetch_Output_Handle();
    if (Step_Of(code) != nullptr && Can_Hero_Move(code) == 1) Redraw_Moved(hero, code, Hero_Glyph);
}

int Monster_Step_Up(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Up); }
int Monster_Step_Down(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Down); }
int Monster_Step_Left(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Left); }
int Monster_Step_Right(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Right); }
