// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The handful of console services the game draws and reads keys through.
//
// The game was written against the Windows console. The console services here
// are served alike by the shared console (core/console.h) over each back end
// (POSIX terminal, Win32 console, scripted console for tests), with the
// behaviour the game relies on; the files and the text output are each back
// end's own. No game file includes an operating-system header: only the back
// ends under src/platform/ do.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
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

// Opens a data file for reading in binary, only when the name leads (through
// any links) to a regular file. Null for anything else: a missing or
// unreadable file, a directory, and also a FIFO, a device or a socket, which
// would block the game or feed it endless bytes.
std::FILE* Open_Data_File(const char* name);

// For the programs beside the game (the data checker), which print text:

struct Glyph_Table;  // platform/core/cp932_glyphs.h

// Fills the table with how standard output shows code page 932: in the
// locale's character set on POSIX systems, the one the game draws in; in
// UTF-8 on Windows, written to a console as its characters.
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

// Saving a file so that a crash, a full disk or a failed write never leaves it
// half written: write a new file beside it, flush it to the device, then put
// it in the old one's place in one step.

// The longest path the save handles.
inline constexpr size_t Path_Capacity = 4096;

// The path of the file that `name` leads to through any symbolic links (the
// name itself when it is no link), so that a save replaces the file a link
// names and the link stays a link. A link to nothing leads to where its file
// would be. False for a loop of links or a path too long for `path`.
bool Resolve_Links(const char* name, std::span<char> path);

// Creates the file a save writes before it takes `target`'s place: beside
// `target`, under a name no other file has (never through a link planted
// there), with `target`'s permission bits and, where the system allows, its
// owner and group. Files left beside `target` by saves that were interrupted
// are removed first, never one that a running save is still writing. Its name
// goes to `name`. Null when it cannot be made.
std::FILE* Create_Replacement_File(const char* target, std::span<char> name);

// Writes the stream's buffer and has the system put the file's data on the
// device (fsync, _commit). False when either step fails.
bool Flush_File_To_Disk(std::FILE* file);

// Puts the closed file `from` in the place of `to`, replacing any file of that
// name in one step: a reader sees the old file or the whole new one, never a
// mix. False when it cannot be done (for example when `to` is a directory);
// both names are then as they were.
bool Replace_File(const char* from, const char* to);

}  // namespace platform
