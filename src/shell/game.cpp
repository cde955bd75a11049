// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "shell/game.h"

#include <array>
#include <string_view>

#include "data/status_files.h"
#include "field/chase.h"
#include "field/field_map.h"
#include "field/hero_keys.h"
#include "platform/platform.h"
#include "rules/random.h"
#include "shell/console.h"

namespace {

constexpr int Loop_Pause_Ms = 10;
constexpr int64_t Notice_Seconds = 30;
// The notice's wait reads the clock this often instead of spinning on it, and
// gives up after this much pausing even if the clock was set back meanwhile.
constexpr int Notice_Poll_Ms = 50;
constexpr int64_t Notice_Longest_Wait_Ms = (Notice_Seconds + 1) * 1000;

// The notice, in code page 932:
//   ファイルが存在しないため情報の初期化に失敗しました。
//   ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。
//   ファイルが見つからない場合はもう一度ダウンロードしてください。
//    30 秒後に強制終了しますので手動で閉じないでください。
constexpr std::array<std::string_view, 4> Missing_File_Notice = {
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x91\xb6\x8d\xdd\x82\xb5\x82\xc8\x82\xa2\x82\xbd"
    "\x82\xdf\x8f\xee\x95\xf1\x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xc9\x8e\xb8\x94\x73\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd\x81\x42",
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8e\xc0\x8d\x73\x83\x74\x83\x40\x83\x43\x83\x8b"
    "\x82\xc6\x93\xaf\x82\xb6\x83\x66\x83\x42\x83\x8c\x83\x4e\x83\x67\x83\x8a\x93\xe0\x82\xc9"
    "\x82\xa0\x82\xe9\x82\xa9\x8a\x6d\x94\x46\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2"
    "\x81\x42",
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe7\x82\xc8\x82\xa2"
    "\x8f\xea\x8d\x87\x82\xcd\x82\xe0\x82\xa4\x88\xea\x93\x78\x83\x5f\x83\x45\x83\x93\x83\x8d"
    "\x81\x5b\x83\x68\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42",
    "\x20\x33\x30\x20\x95\x62\x8c\xe3\x82\xc9\x8b\xad\x90\xa7\x8f\x49\x97\xb9\x82\xb5\x82\xdc"
    "\x82\xb7\x82\xcc\x82\xc5\x8e\xe8\x93\xae\x82\xc5\x95\xc2\x82\xb6\x82\xc8\x82\xa2\x82\xc5"
    "\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42",
};

}  // namespace

void Show_Missing_File_Screen() {
    for (std::string_view line : Missing_File_Notice) platform::Write_Line(line);
    const int64_t started = platform::Clock_Seconds();
    for (int64_t waited_ms = 0; waited_ms < Notice_Longest_Wait_Ms; waited_ms += Notice_Poll_Ms) {
        if (platform::Clock_Seconds() - started >= Notice_Seconds) break;
        platform::Pause_Ms(Notice_Poll_Ms);
    }
    platform::Fatal_Exit();
}

bool Is_Near(const Hero_Status_Info& who, const Monster_Status_Info& monster) {
    // Widened to signed 32 bits, so a bound below column 0 does not wrap.
    const int32_t hx = who.x, hy = who.y, mx = monster.x, my = monster.y;
    return mx - 18 < hx && hx < mx + 18 && my - 9 < hy && hy < my + 9;
}

void Start_Game() {
    Fetch_Output_Handle();
    if (Load_Hero_Status() == 0) Show_Missing_File_Screen();
    if (Load_All_Monsters() == 0) Show_Missing_File_Screen();
    if (Load_All_Skills() == 0) Show_Missing_File_Screen();
    Seed_Random(static_cast<uint32_t>(platform::Clock_Seconds()));
    Load_Field_Map(Field_Map_File);
    Draw_Field_Map();
    Draw_At(hero.x, hero.y, Hero_Glyph);
    Monster_Status_Info& pawn = monsters[Pawn];
    pawn.x = Pawn_Start_X;
    pawn.y = Pawn_Start_Y;
    Draw_At(pawn.x, pawn.y, Text_Of(pawn.glyph));
}

void Run_Field_Pass() {
    Poll_Key();
    Monster_Status_Info& pawn = monsters[Pawn];
    if (Is_Near(hero, pawn)) Chase_Hero(pawn);
    platform::Pause_Ms(Loop_Pause_Ms);
}

void Run_Game() {
    Start_Game();
    for (;;) Run_Field_Pass();
}
