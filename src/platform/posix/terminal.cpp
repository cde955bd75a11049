// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The game's console services on a POSIX terminal: the shared console
// (platform/core/console.h) drawing as escape bytes, the terminal session
// (modes, screens, signals) and the keys read from standard input.

#include <poll.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "platform/core/ansi_screen.h"
#include "platform/core/console.h"
#include "platform/core/key_decoder.h"
#include "platform/platform.h"
#include "platform/posix/glyph_conversion.h"
#include "platform/posix/terminal_session.h"

namespace {

using namespace platform;
using namespace posix_terminal;

// Everything the terminal holds is read at every poll and only the decoder's
// short queue of whole keys is kept, so a paste can never fill the system's
// input buffer, where it would hold back even Ctrl+C. Input that never ends
// (a pipe from `yes`) is read no more than this much a poll.
constexpr size_t Read_Chunk = 4096;
constexpr int Most_Reads_Per_Poll = 64;

// ---- The screen -----------------------------------------------------------------

void Start(Glyph_Table& glyphs);
const Screen_Operations& Operations();
void Serve_Signals(Terminal_View& view, bool full_screen);
bool Keys_Waiting();
int Next_Key();
void Pause(int milliseconds);

constexpr Console_Backend Terminal_Backend = {
    Start, Operations, Query_Size, Serve_Signals, Keys_Waiting, Next_Key, Pause, Wall_Clock_Seconds, Exit_Process,
};

Console console{Terminal_Backend};
Key_Decoder keys;

void Drain(Output_Bytes& out) {
    if (console.full_screen) {
        Write_Frame(STDOUT_FILENO, out.data.data(), out.length);
    } else {
        Write_All(STDOUT_FILENO, out.data.data(), out.length);
    }
    out.length = 0;
}

const Screen_Operations Terminal_Operations = Ansi_Operations(Session_Take_Over, Session_Restore);

void Leave_At_Exit() { Console_Finish(console); }

void Start(Glyph_Table& glyphs) {
    (void)std::atexit(Leave_At_Exit);  // 32 registrations are guaranteed; this is the only one
    Decoder_Reset(keys, Load_Glyphs(glyphs));
    Session_Init();
    Ansi_Start(glyphs, Output_Is_Terminal() ? "\r\n" : "\n", Drain);
}

const Screen_Operations& Operations() { return Terminal_Operations; }

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
int64_t last_poll_ms = -1;

bool Input_Ready() {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(STDIN_FILENO, &readable);
    timeval no_wait{};
    return select(STDIN_FILENO + 1, &readable, nullptr, nullptr, &no_wait) > 0;
}

// What standard input holds now, without waiting. At its end (or when the
// terminal has gone away) no more is read, so nothing spins on it.
size_t Read_Waiting_Bytes(std::array<uint8_t, Read_Chunk>& bytes) {
    if (input_ended || !Input_Ready()) return 0;
    const ssize_t count = read(STDIN_FILENO, bytes.data(), bytes.size());
    if (count > 0) return static_cast<size_t>(count);
    if (count < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    input_ended = true;
    terminal_read_ended = Input_Is_Terminal() && (count == 0 || errno == EIO);
    return 0;
}

void Poll_Input() {
    const int64_t now = Monotonic_Ms();
    const int64_t elapsed = last_poll_ms < 0 ? 0 : now - last_poll_ms;
    last_poll_ms = now;
    std::array<uint8_t, Read_Chunk> bytes;
    size_t total = 0;
    for (int attempt = 0; attempt < Most_Reads_Per_Poll; ++attempt) {
        const size_t count = Read_Waiting_Bytes(bytes);
        if (count == 0) break;
        total += count;
        for (size_t i = 0; i < count; ++i) {
            if (Is_Suspend_Key(bytes[i])) {
                // What was typed before it is dropped with the terminal's
                // input as the game stops.
                Session_Suspend();
                return;
            }
            if (console.full_screen) Decoder_Feed(keys, bytes[i]);
        }
    }
    // Time counts for an unfinished sequence only while nothing more came.
    if (total == 0) Decoder_Tick(keys, static_cast<int>(elapsed > 1000 ? 1000 : elapsed));
    // Closed with hang-ups ignored, the terminal can neither be read nor
    // drawn on: the game ends as the hang-up would have ended it, instead of
    // waking every few milliseconds for good with nowhere to draw.
    if (terminal_read_ended && Output_Terminal_Gone()) Session_End_As_Hang_Up();
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
        if (ready > 0) Poll_Input();
        // Woken by a key, Ctrl+Z or a continue: take the terminal back if need be.
        Console_Flush(console);
    }
}

bool Keys_Waiting() {
    Poll_Input();
    return Decoder_Keys_Waiting(keys) > 0;
}

int Next_Key() {
    const int code = Decoder_Take_Key(keys);
    return code < 0 ? 0 : code;
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
