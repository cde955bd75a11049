// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The handful of console services the game draws and reads keys through.
//
// The game was written against the Windows console. The console services here
// are served alike by the shared console (core/console.h) over each back end
// (POSIX terminal, Windows console, web page, scripted console for the
// tests), with the behaviour the game relies on; the text output for the
// programs beside the game is each back end's own, and the files are the
// operating system's (platform/files.h). No game file includes an
// operating-system header: only those under src/platform/ do.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// What SetConsoleCursorPosition takes: a column and a row, 16 bits each.
struct Cursor_Coord {
    int16_t X;
    int16_t Y;
};

// An opaque output handle; the back end sets itself up on the first fetch.
struct Output_Handle {
    int id;
};

Output_Handle Get_Output_Handle();

// The next write starts at (X, Y). A position off the screen is accepted and
// its writes are dropped.
void Set_Cursor_Position(Output_Handle handle, Cursor_Coord where);

// puts: the text, then a line feed (which moves the cursor to column 0 of the
// next row and never scrolls).
void Write_Line(std::string_view text);

// printf("%c"): one byte into one cell; a line feed only moves the cursor.
void Write_Byte(uint8_t byte);

// _kbhit: true when at least one key code is waiting. Never blocks.
bool Key_Waiting();

// _getch: the next key code. Call only when Key_Waiting() said so.
int Take_Key();

// Sleep: a pause of about this many milliseconds. The screen is current
// before the pause starts.
void Pause_Ms(int milliseconds);

// time(NULL): whole seconds since 1970-01-01.
int64_t Clock_Seconds();

// exit(-1): restores the terminal and ends the process with status -1.
[[noreturn]] void Fatal_Exit();

// For the programs beside the game (the data checker), which print text:

struct Glyph_Table;  // platform/core/cp932_glyphs.h

// Fills the table with how standard output shows code page 932: in the
// locale's character set on POSIX systems, the one the game draws in; in
// UTF-8 on Windows, written to a console as its characters, and in the page.
void Load_Output_Glyphs(Glyph_Table& table);

// The same in UTF-8, whatever the locale: for JSON, which is UTF-8 always.
void Load_Utf8_Glyphs(Glyph_Table& table);

// Writes text in that character set to standard output, or to standard
// error. False when it could not be written.
bool Write_Output(std::string_view text);
bool Write_Error(std::string_view text);

// The language of the user's interface where the system keeps one apart from
// the environment's locale, as Windows does ("ja_JP"); empty where the
// locale says it (POSIX systems, the page).
std::string User_Interface_Language();

}  // namespace platform
