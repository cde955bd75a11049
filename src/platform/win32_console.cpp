// The game's console services on Windows.
//
// Every write lands in the model of the console first, and the console is
// brought to match it, only the changed columns, whenever the player could
// look: before each pause and each key poll. The shared renderer decides what
// to draw, so the field looks the same as in the POSIX build: every double-byte
// character two columns, control bytes from the data drawn as placeholders and
// never acted on, a line feed only moving the modelled cursor. Until the game
// first places the cursor, text goes out as plain lines where the console's
// cursor stands (the missing-file notice stays readable after the game ends);
// the first placement gives the field a console screen buffer of its own.
//
// Keys come from the runtime's _kbhit and _getch, whose codes are the game's.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <conio.h>

#include <array>
#include <cstdlib>
#include <ctime>

#include "platform/core/console_output.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_renderer.h"
#include "platform/core/terminal_bytes.h"
#include "platform/platform.h"
#include "platform/screen_model.h"
#include "platform/win32_screen.h"

namespace {

using namespace platform;
using namespace win32_screen;

struct Console_State {
    bool started = false;
    Console_Output screen;  // full_screen once the field has a screen buffer of its own
};

Console_State console;

HANDLE keyboard = INVALID_HANDLE_VALUE;

// Keys typed for the game (during the notice's wait, say) are not left for
// the shell to run once the game has ended.
void Drop_Unread_Keys() {
    if (keyboard != INVALID_HANDLE_VALUE) FlushConsoleInputBuffer(keyboard);
}

void Leave_At_Exit() {
    Finish_Plain_Text(console.screen, Drain);
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

void Start() {
    if (console.started) return;
    console.started = true;
    Model_Clear(console.screen.model);
    Fill_Glyph_Table(console.screen.glyphs, Cp932_To_Utf8);
    Screen_Init();
    console.screen.plain.line_end = "\r\n";  // what puts writes through a text-mode stream
    // The console's keyboard, as _getch reads it, even when standard input is redirected.
    keyboard = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    SetConsoleCtrlHandler(On_Console_Event, TRUE);
    std::atexit(Leave_At_Exit);
}

void Take_Over() {
    Finish_Plain_Text(console.screen, Drain);
    Screen_Take_Over();
    const Screen_Size size = Query_Size();
    View_Start(console.screen.view, size.columns, size.rows);
    console.screen.full_screen = true;
}

void Flush() {
    if (console.screen.full_screen) {
        // A console whose buffer was resized is drawn again, as a resized
        // terminal is; below the field's size a short notice stands in.
        const Screen_Size size = Query_Size();
        View_Resize(console.screen.view, size.columns, size.rows);
        Present_Model(console.screen.model, console.screen.view, console.screen.glyphs, console.screen.out, Drain);
    }
    if (console.screen.out.length > 0) Drain(console.screen.out);
}

}  // namespace

namespace platform {

Output_Handle Get_Output_Handle() {
    Start();
    return {1};
}

void Set_Cursor_Position(Output_Handle, Cursor_Coord where) {
    Start();
    if (!console.screen.full_screen) Take_Over();
    Model_Place(console.screen.model, where.X, where.Y);
}

void Write_Line(std::string_view text) {
    Start();
    Output_Line(console.screen, text, Drain);
}

void Write_Byte(uint8_t byte) {
    Start();
    Output_Byte(console.screen, byte, Drain);
}

bool Key_Waiting() {
    Start();
    Flush();
    return _kbhit() != 0 || Navigation_Key_Waiting();
}

int Take_Key() { return _getch(); }

void Pause_Ms(int milliseconds) {
    Start();
    Flush();
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

int64_t Clock_Seconds() { return static_cast<int64_t>(std::time(nullptr)); }

void Fatal_Exit() {
    Start();
    Finish_Plain_Text(console.screen, Drain);
    Screen_Restore();
    std::exit(-1);
}

}  // namespace platform
