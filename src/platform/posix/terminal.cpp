// The game's console services on a POSIX terminal.
//
// Every write lands in a model of the Windows console first; the terminal is
// brought to match it, with only the changed columns, in one write, whenever
// the player could look: before each pause and each key poll. Until the game
// first places the cursor, text goes out as plain lines on the normal screen
// (the missing-file notice stays readable after the game ends); the first
// placement takes the terminal over for the field.

#include <sys/select.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/core/console_output.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/core/key_decoder.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_renderer.h"
#include "platform/core/terminal_bytes.h"
#include "platform/platform.h"
#include "platform/posix/glyph_conversion.h"
#include "platform/posix/terminal_session.h"
#include "platform/screen_model.h"

namespace {

using namespace platform;
using namespace posix_terminal;

// Everything the terminal holds is read at every poll and only the decoder's
// short queue of whole keys is kept, so a paste can never fill the system's
// input buffer, where it would hold back even Ctrl+C. Input that never ends
// (a pipe from `yes`) is read no more than this much a poll.
constexpr size_t Read_Chunk = 4096;
constexpr int Most_Reads_Per_Poll = 64;

struct Terminal_State {
    bool started = false;
    bool input_ended = false;
    int64_t last_poll_ms = -1;
    Console_Output screen;
    Key_Decoder keys;
};

Terminal_State terminal;

void Drain(Output_Bytes& out) {
    if (terminal.screen.full_screen) {
        Write_Frame(STDOUT_FILENO, out.data.data(), out.length);
    } else {
        Write_All(STDOUT_FILENO, out.data.data(), out.length);
    }
    out.length = 0;
}

void Leave_At_Exit() {
    Finish_Plain_Text(terminal.screen, Drain);
    Session_Restore();
}

void Start() {
    if (terminal.started) return;
    terminal.started = true;
    Model_Clear(terminal.screen.model);
    const Input_Encoding encoding = Load_Glyphs(terminal.screen.glyphs);
    Decoder_Reset(terminal.keys, encoding);
    Session_Init();
    terminal.screen.plain.line_end = Output_Is_Terminal() ? "\r\n" : "\n";
    std::atexit(Leave_At_Exit);
}

void Take_Over() {
    Finish_Plain_Text(terminal.screen, Drain);
    Session_Take_Over();
    const Terminal_Size size = Query_Size();
    View_Start(terminal.screen.view, size.columns, size.rows);
    terminal.screen.full_screen = true;
}

// Acts on what the signal handlers recorded, outside of them.
void Serve_Signals() {
    if (Take_Continue_Notice()) {
        Session_Reclaim();
        View_Invalidate(terminal.screen.view);
    }
    if (!terminal.screen.full_screen) return;
    if (Take_Resize_Notice() || terminal.screen.view.repaint_pending) {
        const Terminal_Size size = Query_Size();
        View_Resize(terminal.screen.view, size.columns, size.rows);
    }
}

void Flush() {
    Serve_Signals();
    if (terminal.screen.full_screen) Present_Model(terminal.screen.model, terminal.screen.view, terminal.screen.glyphs, terminal.screen.out, Drain);
    if (terminal.screen.out.length > 0) Drain(terminal.screen.out);
}

int64_t Monotonic_Ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

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
    if (terminal.input_ended || !Input_Ready()) return 0;
    const ssize_t count = read(STDIN_FILENO, bytes.data(), bytes.size());
    if (count > 0) return static_cast<size_t>(count);
    if (count == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) terminal.input_ended = true;
    return 0;
}

void Poll_Input() {
    const int64_t now = Monotonic_Ms();
    const int64_t elapsed = terminal.last_poll_ms < 0 ? 0 : now - terminal.last_poll_ms;
    terminal.last_poll_ms = now;
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
            if (terminal.screen.full_screen) Decoder_Feed(terminal.keys, bytes[i]);
        }
    }
    // Time counts for an unfinished sequence only while nothing more came.
    if (total == 0) Decoder_Tick(terminal.keys, static_cast<int>(elapsed > 1000 ? 1000 : elapsed));
}

}  // namespace

namespace platform {

Output_Handle Get_Output_Handle() {
    Start();
    return {STDOUT_FILENO};
}

void Set_Cursor_Position(Output_Handle, Cursor_Coord where) {
    Start();
    if (!terminal.screen.full_screen) Take_Over();
    Model_Place(terminal.screen.model, where.X, where.Y);
}

void Write_Line(std::string_view text) {
    Start();
    Output_Line(terminal.screen, text, Drain);
}

void Write_Byte(uint8_t byte) {
    Start();
    Output_Byte(terminal.screen, byte, Drain);
}

bool Key_Waiting() {
    Start();
    Flush();
    Poll_Input();
    return Decoder_Keys_Waiting(terminal.keys) > 0;
}

int Take_Key() {
    const int code = Decoder_Take_Key(terminal.keys);
    return code < 0 ? 0 : code;
}

void Pause_Ms(int milliseconds) {
    Start();
    // Before the game takes the screen over, a pause is the missing-file
    // notice's wait: keys typed meanwhile must not show on it or reach the
    // shell afterwards.
    if (!terminal.screen.full_screen) {
        Session_Hold_Keys();
        Poll_Input();
    }
    Flush();
    if (milliseconds <= 0) return;
    timespec wanted{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1'000'000L};
    timespec left{};
    while (nanosleep(&wanted, &left) != 0 && errno == EINTR) {
        // A resize or Ctrl+Z woke us: show it at once, then sleep on.
        Flush();
        wanted = left;
    }
}

int64_t Clock_Seconds() { return static_cast<int64_t>(std::time(nullptr)); }

void Fatal_Exit() {
    Start();
    Finish_Plain_Text(terminal.screen, Drain);
    Session_Restore();
    std::exit(-1);
}

}  // namespace platform
