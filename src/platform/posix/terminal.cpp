// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The POSIX terminal's table under the shared console (platform/core/console.h):
// drawing as escape bytes, the terminal session (modes, screens, signals) and
// the keys read from standard input.

#include <poll.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/ansi_screen.h"
#include "platform/core/console.h"
#include "platform/posix/glyph_conversion.h"
#include "platform/posix/terminal_session.h"

namespace {

using namespace platform;
using namespace posix_terminal;

void Start(Glyph_Table& glyphs);
void Serve_Signals(Terminal_View& view, bool full_screen);
int Read_Input(uint8_t* bytes, int capacity);
void Pause(int milliseconds);

constexpr Console_Backend Terminal_Backend = {
    .start = Start,
    .place_cursor = Ansi_Place_Cursor, .write_cells = Ansi_Write_Cells, .new_line = Ansi_New_Line, .clear = Ansi_Clear,
    .enter_full_screen = Session_Take_Over, .leave_full_screen = Session_Restore, .send = Ansi_Send,
    .screen_size = Query_Size, .serve_screen_events = Serve_Signals,
    .read_input = Read_Input, .now_ms = Monotonic_Ms,
    .pause = Pause, .clock_seconds = Wall_Clock_Seconds, .end_program = Exit_Process,
};

Console console{Terminal_Backend};

// ---- The screen -----------------------------------------------------------------

void Write_Bytes(const uint8_t* bytes, size_t length) {
    if (console.full_screen) {
        Write_Frame(STDOUT_FILENO, bytes, length);
    } else {
        Write_All(STDOUT_FILENO, bytes, length);
    }
}

void Start(Glyph_Table& glyphs) {
    Decoder_Reset(console.keys, Load_Glyphs(glyphs));
    Session_Init();
    Ansi_Start(glyphs, Output_Is_Terminal() ? "\r\n" : "\n", Write_Bytes);
}

// Acts on what the signal handlers recorded, outside of them. A frame before
// the game takes the screen over is the missing-file notice's: the keys are
// held from before its text goes out.
void Serve_Signals(Terminal_View& view, bool full_screen) {
    if (!full_screen) Session_Hold_Keys();
    if (Take_Continue_Notice()) {
        Session_Reclaim();
        View_Invalidate(view);
    }
    if (full_screen && (Take_Resize_Notice() || view.repaint_pending)) {
        const Screen_Size size = Query_Size();
        View_Resize(view, size.columns, size.rows);
    }
}

// ---- The keys -------------------------------------------------------------------

bool input_ended = false;
// The terminal read as ended: either the end of its input (Ctrl+D in line
// mode) or the terminal is gone, which its output then tells.
bool terminal_read_ended = false;
// The suspend key ended this poll's reading: what follows it is dropped.
bool suspended = false;

bool Input_Ready() {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(STDIN_FILENO, &readable);
    timeval no_wait{};
    return select(STDIN_FILENO + 1, &readable, nullptr, nullptr, &no_wait) > 0;
}

// What standard input holds now, without waiting. At its end (or when the
// terminal has gone away) no more is read, so nothing spins on it.
int Read_Input(uint8_t* bytes, int capacity) {
    if (suspended) {
        suspended = false;
        return 0;
    }
    if (!input_ended && Input_Ready()) {
        const ssize_t count = read(STDIN_FILENO, bytes, static_cast<size_t>(capacity));
        if (count > 0) {
            for (ssize_t i = 0; i < count; ++i) {
                if (!Is_Suspend_Key(bytes[i])) continue;
                // What was typed after it is dropped with the terminal's
                // input as the game stops.
                Session_Suspend();
                suspended = i > 0;
                return static_cast<int>(i);
            }
            return static_cast<int>(count);
        }
        if (count == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            input_ended = true;
            terminal_read_ended = Input_Is_Terminal() && (count == 0 || errno == EIO);
        }
    }
    // Closed with hang-ups ignored, the terminal can neither be read nor
    // drawn on: the game ends as the hang-up would have ended it, instead of
    // waking every few milliseconds for good with nowhere to draw.
    if (terminal_read_ended && Output_Terminal_Gone()) Session_End_As_Hang_Up();
    return 0;
}

// Before the game takes the screen over, a pause is the missing-file
// notice's wait: keys typed meanwhile must not show on it or reach the shell
// afterwards, so they are read and dropped as they come, and the suspend key
// among them acts at once. Waiting on the input costs no more than sleeping.
void Wait_Dropping_Keys(int milliseconds) {
    const int64_t until = Monotonic_Ms() + milliseconds;
    for (int64_t left = milliseconds; left > 0; left = until - Monotonic_Ms()) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = input_ended ? poll(nullptr, 0, static_cast<int>(left))
                                      : poll(&input, 1, static_cast<int>(left));
        if (ready == 0) return;
        if (ready > 0) Console_Read_Input(console);
        // Woken by a key, Ctrl+Z or a continue: take the terminal back if need be.
        Console_Flush(console);
    }
}

void Pause(int milliseconds) {
    if (!console.full_screen) {
        Wait_Dropping_Keys(milliseconds);
        return;
    }
    if (milliseconds <= 0) return;
    timespec wanted{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1'000'000L};
    timespec left{};
    while (nanosleep(&wanted, &left) != 0 && errno == EINTR) {
        // A resize or Ctrl+Z woke us: show it at once, then sleep on.
        Console_Flush(console);
        wanted = left;
    }
}

}  // namespace

namespace platform {

Console& Platform_Console() { return console; }

}  // namespace platform
