// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The web page's table under the shared console (platform/core/console.h):
// drawing as escape bytes in UTF-8 for the page's screen, the keys the page
// hands over as bytes, and pauses that give the browser its turn (Asyncify),
// so the page keeps drawing and reading keys while the game waits.
//
// The page's side is in worker.js (the run's own Web Worker: it queues what
// is typed and passes the bytes drawn on) and page.js (the screen, the keys,
// the status the game ended with).

#include <emscripten.h>

#include "platform/core/ansi_screen.h"
#include "platform/core/console.h"
#include "platform/web/glyphs.h"

// ---- What the page serves ---------------------------------------------------------

// clang-format off
EM_JS(void, page_write, (const uint8_t* bytes, size_t length), {
    Module.pageWrite(HEAPU8.slice(bytes, bytes + length));
});

// Copies up to `capacity` of the bytes typed since the last call.
EM_JS(int, page_take_input, (uint8_t* bytes, int capacity), {
    const taken = Module.pageInput.take(capacity);
    HEAPU8.set(taken, bytes);
    return taken.length;
});

EM_JS(int, page_columns, (), { return Module.pageTerminal.cols; });
EM_JS(int, page_rows, (), { return Module.pageTerminal.rows; });

EM_JS(double, page_now_ms, (), { return performance.now(); });

// Until something is typed: no timer, so the browser has nothing to do
// meanwhile. A run the page replaces is ended with its worker, waiting or not.
EM_ASYNC_JS(void, page_wait_for_input, (), {
    if (Module.pageInput.length > 0) return;
    await new Promise((resolve) => { Module.pageWake = resolve; });
    Module.pageWake = null;
});

// clang-format on

namespace {

using namespace platform;

// The page is the game's alone: no other screen to go back to, and the last
// one stays when the game has ended. Only the cursor is hidden.
void Enter_Full_Screen() {
    constexpr std::string_view Hide_Cursor = "\x1b[?25l";
    page_write(reinterpret_cast<const uint8_t*>(Hide_Cursor.data()), Hide_Cursor.size());
}

void Leave_Full_Screen() {}

Screen_Size Page_Size() { return {page_columns(), page_rows()}; }

// The page's terminal keeps its size; the view learns it when it starts and
// whenever it is to be drawn afresh.
void Serve_Resize(Terminal_View& view, bool full_screen) {
    if (full_screen && view.repaint_pending) {
        const Screen_Size size = Page_Size();
        View_Resize(view, size.columns, size.rows);
    }
}

int64_t Now_Ms() { return static_cast<int64_t>(page_now_ms()); }

void Start(Glyph_Table& glyphs);
void Pause(int milliseconds);

// The clock is the browser's (time() reads Date.now()); the way out is exit(),
// which the page hears of and shows with the status.
constexpr Console_Backend Page_Backend = {
    .start = Start,
    .place_cursor = Ansi_Place_Cursor, .write_cells = Ansi_Write_Cells, .new_line = Ansi_New_Line, .clear = Ansi_Clear,
    .enter_full_screen = Enter_Full_Screen, .leave_full_screen = Leave_Full_Screen, .send = Ansi_Send,
    .screen_size = Page_Size, .serve_screen_events = Serve_Resize,
    // The terminal gives what was typed as UTF-8 bytes, the same bytes a
    // terminal sends, so the shared decoder makes the same codes of them.
    .read_input = page_take_input, .now_ms = Now_Ms,
    .pause = Pause, .clock_seconds = Wall_Clock_Seconds, .end_program = Exit_Process,
};

Console console{Page_Backend};

void Start(Glyph_Table& glyphs) {
    web_page::Fill_Page_Glyphs(glyphs);
    Ansi_Start(glyphs, "\r\n", page_write);
}

double pause_due_ms = -1;  // when the last pause was due to end; -1: none yet

// The frame has gone to the page; now the browser has its turn: it draws the
// frame and queues keys while the game sleeps.
//
// A browser's timer fires a little late, a millisecond or so each time; over
// the thirteen pauses of a chase step that would slow the pawn by a tenth.
// So pauses that follow one another keep to one cadence: each ends that long
// after the previous one was due to end, unless the game has fallen behind it
// by more than a whole pause (a stall), which is not made up for.
//
// A game that has been quiet for long (console.h) cannot change until a key
// comes, so it waits for one instead of waking every 10 ms for nothing, and
// an idle page leaves the processor alone.
void Pause(int milliseconds) {
    if (milliseconds <= 0) return;
    if (console.quiet_pauses >= Quiet_Pauses_Before_Idle) {
        page_wait_for_input();
        pause_due_ms = -1;  // a new cadence from the next pause
    } else {
        const double now = page_now_ms();
        const bool on_cadence = pause_due_ms >= 0 && now - pause_due_ms < milliseconds;
        pause_due_ms = (on_cadence ? pause_due_ms : now) + milliseconds;
        const double wait = pause_due_ms - now;
        emscripten_sleep(wait > 0 ? static_cast<unsigned>(wait) : 0U);
    }
    // Before the game takes the screen over, keys are dropped as they come,
    // as a terminal drops them.
    if (!console.full_screen) Console_Read_Input(console);
}

}  // namespace

namespace platform {

Console& Platform_Console() { return console; }

}  // namespace platform
