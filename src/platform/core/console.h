// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The console as every back end runs it. Each write lands in the screen model
// first; until the game first places the cursor it also goes out at once as
// plain text (the missing-file notice, which stays readable after the game
// ends); the first placement takes the screen over for the field, and from
// then on the renderer brings the screen to match the model whenever the
// player could look: before every key poll and every pause.
//
// Every console service of platform.h is served here alike
// (core/console_services.cpp). A back end is a thin adapter under it: a
// table of what differs (its drawing operations, its screen, its keys, its
// clock and its way out) and the console it keeps (Platform_Console), in a
// folder of its own under src/platform/ with a build target of its own. The
// scripted console for the tests is one such back end, so the game's tests
// draw through this same path.

#include <cstdint>
#include <string_view>

#include "platform/core/cp932_glyphs.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_model.h"
#include "platform/core/screen_operations.h"
#include "platform/core/screen_renderer.h"

namespace platform {

struct Screen_Size {
    int columns;
    int rows;
};

struct Console_Backend {
    // Looks at the streams and fills the glyph table, before anything is
    // drawn; arranges for Console_Finish at exit.
    void (*start)(Glyph_Table& glyphs);
    // The operations, once start has run.
    const Screen_Operations& (*operations)();
    // The size of the screen the field is drawn on.
    Screen_Size (*screen_size)();
    // Before each frame: acts on what happened to the screen and the terminal
    // since the last one (resized, lost to a suspension) and tells the view.
    void (*serve_screen_events)(Terminal_View& view, bool full_screen);

    // _kbhit and _getch, asked once the screen is up to date; take_key only
    // when key_waiting said so.
    bool (*key_waiting)();
    int (*take_key)();
    // The wait of a pause, once the screen is up to date.
    void (*pause)(int milliseconds);
    // time(NULL): Wall_Clock_Seconds for a real back end.
    int64_t (*clock_seconds)();
    // Ends the program with this status once the console has been given back
    // (Exit_Process for a real back end). Never returns.
    void (*end_program)(int status);
};

// Between keys the game's state is where its characters stand, which changes
// only with what it draws, and it reads the clock only for the notice's wait.
// Its longest round without a key (a pass of the field loop with a chase that
// waits twice) is 27 pauses, and a round that draws nothing, takes no key and
// reads no clock leaves everything as it was, so the next one does the same.
// So once this many pauses in a row have been quiet, nothing can happen until
// a key comes, and a back end may wait for input instead of waking the game
// for every pause: the web page does, so that an idle page leaves the
// processor alone. The scripted console checks, in every test that plays,
// that the game never acts on its own after so long a quiet.
inline constexpr int Quiet_Pauses_Before_Idle = 100;

struct Console {
    const Console_Backend& backend;
    bool started = false;
    bool full_screen = false;  // the game has taken the screen over
    // Pauses in a row since the game last placed the cursor, wrote, took a
    // key or read the clock (a back end also counts input that came in).
    int quiet_pauses = 0;
    Screen_Model model{};
    Terminal_View view{};
    Glyph_Table glyphs{};
    Plain_Text plain{};
};

// Sets the console up on its first use; later calls do nothing.
void Console_Start(Console& console);

// SetConsoleCursorPosition: the first placement takes the screen over.
void Console_Place_Cursor(Console& console, int x, int y);

// puts and printf("%c") as the game calls them.
void Console_Write_Line(Console& console, std::string_view text);
void Console_Write_Byte(Console& console, uint8_t byte);

// Brings the screen up to date and sends it: before every pause and key poll.
void Console_Flush(Console& console);

// The way out: plain text still held goes out, and whatever the game took of
// the screen and the terminal is given back.
void Console_Finish(Console& console);

// The console of the back end the program is built with: each back end
// defines it, and core/console_services.cpp serves platform.h through it.
Console& Platform_Console();

// What a real back end's table points to for the clock and the way out.
int64_t Wall_Clock_Seconds();
[[noreturn]] void Exit_Process(int status);

}  // namespace platform
