// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The Windows console's table under the shared console
// (platform/core/console.h): drawn on the Windows console (win32/screen.h),
// the keys from the runtime's _kbhit and _getch, whose codes are the game's.

#include "platform/win32/windows_api.h"
#include <conio.h>

#include <array>

#include "platform/core/console.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/win32/screen.h"

namespace {

using namespace platform;
using namespace win32_screen;

void Start(Glyph_Table& glyphs);

// A console whose buffer was resized is drawn again, as a resized terminal
// is; below the field's size a short notice stands in.
void Serve_Resize(Terminal_View& view, bool full_screen) {
    if (!full_screen) return;
    const Screen_Size size = Query_Size();
    View_Resize(view, size.columns, size.rows);
}

void Leave_Full_Screen();
bool Keys_Waiting();
int Next_Key() { return _getch(); }
void Pause(int milliseconds);

constexpr Console_Backend Windows_Backend = {
    .start = Start,
    .place_cursor = Screen_Place_Cursor, .write_cells = Screen_Write_Cells, .new_line = Screen_New_Line,
    .clear = Screen_Clear, .enter_full_screen = Screen_Take_Over, .leave_full_screen = Leave_Full_Screen,
    .send = Screen_Send,
    .screen_size = Query_Size, .serve_screen_events = Serve_Resize,
    .key_waiting = Keys_Waiting, .take_key = Next_Key,
    .pause = Pause, .clock_seconds = Wall_Clock_Seconds, .end_program = Exit_Process,
};

Console console{Windows_Backend};

HANDLE keyboard = INVALID_HANDLE_VALUE;

// Keys typed for the game (during the notice's wait, say) are not left for
// the shell to run once the game has ended.
void Drop_Unread_Keys() {
    if (keyboard != INVALID_HANDLE_VALUE) FlushConsoleInputBuffer(keyboard);
}

// The way out, at exit or on a fatal stop.
void Leave_Full_Screen() {
    Screen_Restore();
    Drop_Unread_Keys();
}

// Ctrl+C, Ctrl+Break, closing the window, logging off: the shell gets its
// screen back, then the system's own handling ends the process (Ctrl+C with
// the usual STATUS_CONTROL_C_EXIT).
BOOL WINAPI On_Console_Event(DWORD) {
    Screen_Restore();
    Drop_Unread_Keys();
    return FALSE;
}

// The keys without a character that every runtime's _getch turns into a
// prefix and a code at once, by their keyboard scan codes: Home, Up, Page Up,
// Left, Right, End, Down, Page Down, Insert, Delete.
constexpr std::array<WORD, 10> Navigation_Scan_Codes = {0x47, 0x48, 0x49, 0x4B, 0x4D, 0x4F, 0x50, 0x51, 0x52, 0x53};
constexpr DWORD Peeked_Events = 64;

bool Is_Navigation_Key(const KEY_EVENT_RECORD& key) {
    if (!key.bKeyDown || key.uChar.UnicodeChar != 0) return false;
    for (WORD code : Navigation_Scan_Codes) {
        if (key.wVirtualScanCode == code) return true;
    }
    return false;
}

// The Windows runtime's _kbhit reports the arrow keys too; some runtimes (wine's)
// report only keys with a character, and an arrow would wait for the next
// letter. Looking at the console's input for these keys as well makes every
// runtime report what Windows does; _getch still gives the codes.
bool Navigation_Key_Waiting() {
    if (keyboard == INVALID_HANDLE_VALUE) return false;
    std::array<INPUT_RECORD, Peeked_Events> events{};
    DWORD count = 0;
    if (!PeekConsoleInputW(keyboard, events.data(), Peeked_Events, &count)) return false;
    for (DWORD i = 0; i < count; ++i) {
        if (events[i].EventType == KEY_EVENT && Is_Navigation_Key(events[i].Event.KeyEvent)) return true;
    }
    return false;
}

void Start(Glyph_Table& glyphs) {
    Fill_Glyph_Table(glyphs, Cp932_To_Utf8);
    Screen_Init(glyphs);
    // The console's keyboard, as _getch reads it, even when standard input is redirected.
    keyboard = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    SetConsoleCtrlHandler(On_Console_Event, TRUE);
}

bool Keys_Waiting() { return _kbhit() != 0 || Navigation_Key_Waiting(); }

void Pause(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace

namespace platform {

Console& Platform_Console() { return console; }

}  // namespace platform
