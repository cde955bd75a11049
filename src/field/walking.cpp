#include "field/walking.h"

#include <string_view>

#include "field/field_map.h"
#include "shell/console.h"

namespace {

constexpr int32_t Bottom_Row = Field_Rows - 1;  // 18: down is refused there
constexpr int32_t Right_Column = 52;            // right is refused there

// A cell outside the grid blocks: positions come from files, and a step must
// never read past the map.
bool Is_Open(int32_t row, int32_t column) {
    if (row < 0 || row >= Field_Rows || column < 0 || column >= Field_Columns) return false;
    return Field_Map[row][column] == 0;
}

int Can_Move_From(int code, int32_t x, int32_t y) {
    switch (code) {
        case Code_Up:
            return Is_Open(y - 1, x) ? 1 : 0;
        case Code_Down:
            if (y == Bottom_Row) return 0;
            return Is_Open(y + 1, x) ? 1 : 0;
        case Code_Left:
            return Is_Open(y, x - 1) && Is_Open(y, x - 2) ? 1 : 0;
        case Code_Right:
            if (x == Right_Column) return 0;
            return Is_Open(y, x + 2) && Is_Open(y, x + 3) ? 1 : 0;
        default:
            return 1;
    }
}

bool Is_Move_Code(int code) {
    return code == Code_Up || code == Code_Down || code == Code_Left || code == Code_Right;
}

// A step from a position outside the grid is refused even where the cells it
// tests happen to lie inside it.
int Can_Move(int code, uint16_t x, uint16_t y) {
    if (!Is_Move_Code(code)) return 1;
    if (x >= Field_Columns || y >= Field_Rows) return 0;
    return Can_Move_From(code, x, y);
}

template <typename Character>
void Redraw_Moved(Character& who, int code, std::string_view glyph) {
    Draw_At(who.x, who.y, Eraser);
    Take_Step(who, code);
    Draw_At(who.x, who.y, glyph);
}

int Monster_Step(Monster_Status_Info& monster, int code) {
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
    if (Is_Move_Code(code) && Can_Hero_Move(code) == 1) Redraw_Moved(hero, code, Hero_Glyph);
}

int Monster_Step_Up(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Up); }
int Monster_Step_Down(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Down); }
int Monster_Step_Left(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Left); }
int Monster_Step_Right(Monster_Status_Info& monster) { return Monster_Step(monster, Code_Right); }
