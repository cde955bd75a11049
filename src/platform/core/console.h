// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The console as every back end runs it. Each write lands in the screen model
// first; until the game first places the cursor it also goes out as plain
// text with the next flush (the missing-file notice, which stays readable
// after the game ends); the first placement takes the screen over for the field, and from
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
#include "platform/core/key_decoder.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_model.h"
#include "platform/core/screen_renderer.h"

namespace platform {

struct Screen_Size {
    int columns;
    int rows;
};

// Everything a back end does, in one table. A terminal's drawing is the
// escape-byte writer's (core/ansi_screen.h), which a back end may point the
// drawing entries at; keys that come as a terminal's bytes are decoded here.
// Keys come one of two ways, and the entries of the other way stay null.
struct Console_Backend {
    // Looks at the streams and fills the glyph table, before anything is
    // drawn.
    void (*start)(Glyph_Table& glyphs) = nullptr;

    // ---- Drawing. The console decides what goes where (core/screen_renderer.h);
    // a back end only carries it out.

    // The cursor to (row, column), zero-based. The console says where it knows
    // the cursor to stand (-1 where it does not), so that a terminal can take
    // the shortest way there.
    void (*place_cursor)(int row, int column, int from_row, int from_column) = nullptr;
    // Characters at the cursor, one per code: a single-byte character or the
    // first column of a double-byte one, each covering its columns.
    void (*write_cells)(const Cell_Code* codes, int count) = nullptr;
    // Plain text before the game takes the screen over: on to the next line.
    void (*new_line)() = nullptr;
    // The whole screen blank.
    void (*clear)() = nullptr;
    // The game's own screen, blank and with the cursor hidden; and back to the
    // player's screen with the cursor shown, giving back whatever else the
    // game took (nothing happens when nothing was taken). The cursor is hidden
    // exactly while the game owns the screen, so the two go together; leaving
    // must also be possible from a signal handler, and is what happens at exit.
    void (*enter_full_screen)() = nullptr;
    void (*leave_full_screen)() = nullptr;
    // What was drawn since the last send goes out now, in as few writes as the
    // back end can: the player sees a whole frame at once.
    void (*send)() = nullptr;

    // ---- The screen.

    // The size of the screen the field is drawn on.
    Screen_Size (*screen_size)() = nullptr;
    // Before each frame: acts on what happened to the screen and the terminal
    // since the last one (resized, lost to a suspension) and tells the view.
    void (*serve_screen_events)(Terminal_View& view, bool full_screen) = nullptr;

    // ---- Keys, asked once the screen is up to date: either as bytes or as codes.

    // The bytes a terminal sends, without waiting: up to `capacity` of them, 0
    // when none came. The console decodes them (core/key_decoder.h) into the
    // codes _getch gives, and drops those typed before it takes the screen
    // over. Null for a back end whose keys come as codes.
    int (*read_input)(uint8_t* bytes, int capacity) = nullptr;
    // With read_input: milliseconds on a clock that never jumps, for how long
    // an unfinished escape sequence has waited.
    int64_t (*now_ms)() = nullptr;
    // Without read_input: _kbhit and _getch; take_key only when key_waiting
    // said so.
    bool (*key_waiting)() = nullptr;
    int (*take_key)() = nullptr;

    // ---- Time and the way out.

    // The wait of a pause, once the screen is up to date.
    void (*pause)(int milliseconds) = nullptr;
    // time(NULL): Wall_Clock_Seconds for a real back end.
    int64_t (*clock_seconds)() = nullptr;
    // Ends the program with this status once the console has been given back
    // (Exit_Process for a real back end). Never returns.
    void (*end_program)(int status) = nullptr;
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
    // key or read the clock, or input came in (the console counts what
    // read_input gives; a back end with key codes counts its own).
    int quiet_pauses = 0;
    Screen_Model model{};
    Terminal_View view{};
    Glyph_Table glyphs{};
    Plain_Text plain{};
    Key_Decoder keys{};      // with read_input: the keys decoded, not yet taken
    int64_t last_poll_ms = -1;
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

// _kbhit and _getch through the back end. With read_input, everything the
// back end holds is read at every poll and only the decoder's short queue of
// whole keys is kept, so a paste never fills the system's input buffer.
bool Console_Key_Waiting(Console& console);
int Console_Take_Key(Console& console);

// Reads and decodes what came, as a poll does: for a back end that waits
// before the screen is taken over, where keys are read only to be dropped.
void Console_Read_Input(Console& console);

// The way out: plain text still held goes out, and whatever the game took of
// the screen and the terminal is given back. The program's console is
// finished so at exit (core/console_services.cpp).
void Console_Finish(Console& console);

// The console of the back end the program is built with: each back end
// defines it, and core/console_services.cpp serves platform.h through it.
Console& Platform_Console();

// What a real back end's table points to for the clock and the way out.
int64_t Wall_Clock_Seconds();
[[noreturn]] void Exit_Process(int status);

}  // namespace platform
