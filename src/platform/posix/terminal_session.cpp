// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/posix/terminal_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <initializer_list>
#include <string_view>

#include "platform/core/ansi_screen.h"

namespace posix_terminal {

namespace {

// What the terminal is set to: each state undoes to the one before.
enum Terminal_Mode : int {
    Mode_As_Found = 0,  // the player's own modes and screen
    Mode_Keys_Held = 1,  // the player's screen, echo off (the notice's wait)
    Mode_Game = 2,       // game modes, the alternate screen, cursor hidden
};

// Shared with the signal handlers.
volatile sig_atomic_t mode_set = Mode_As_Found;     // what the terminal is set to now
volatile sig_atomic_t mode_wanted = Mode_As_Found;  // what the game asked for last
volatile sig_atomic_t suspensions = 0;              // counts the stops on Ctrl+Z
volatile sig_atomic_t continued = 0;
volatile sig_atomic_t resized = 0;

// The byte the terminal sends for the player's suspend key (Ctrl+Z unless
// set otherwise), read as a key while the game holds the terminal; 0: none.
uint8_t suspend_key = 0;

bool input_is_terminal = false;
bool output_is_terminal = false;
bool modes_saved = false;
bool handlers_installed = false;
termios saved_modes{};
termios held_modes{};
termios game_modes{};

// How long a way out waits for a terminal that does not take its output.
constexpr int Leave_Wait_Ms = 100;

// ---- Async-signal-safe helpers ----------------------------------------------

// write() until everything is written, the deadline passes (-1: none) or,
// when asked, a suspension cuts the frame short. Nothing but write, poll and
// the clock, so a signal handler may call it.
void Write_Until(int descriptor, const char* data, size_t length, int64_t deadline_ms, bool stop_on_suspension) {
    const sig_atomic_t suspensions_before = suspensions;
    while (length > 0) {
        if (stop_on_suspension && suspensions != suspensions_before) return;
        const ssize_t written = write(descriptor, data, length);
        if (written > 0) {
            data += written;
            length -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return;
        // A full terminal, or a descriptor someone made non-blocking: wait
        // until it drains.
        int wait_ms = -1;
        if (deadline_ms >= 0) {
            const int64_t remaining = deadline_ms - Monotonic_Ms();
            if (remaining <= 0) return;
            wait_ms = static_cast<int>(remaining);
        }
        pollfd writable{descriptor, POLLOUT, 0};
        poll(&writable, 1, wait_ms);
    }
}

// The descriptor is made non-blocking for the while (and put back), so a
// full or stopped terminal costs at most `wait_ms`.
void Write_Bounded(int descriptor, std::string_view text, int wait_ms) {
    const int flags = fcntl(descriptor, F_GETFL);
    const bool blocking = flags >= 0 && (flags & O_NONBLOCK) == 0;
    if (blocking) fcntl(descriptor, F_SETFL, flags | O_NONBLOCK);
    Write_Until(descriptor, text.data(), text.size(), Monotonic_Ms() + wait_ms, false);
    if (blocking) fcntl(descriptor, F_SETFL, flags);
}

// Sets the terminal's modes even from a background process group: giving the
// terminal back must not stop the process on SIGTTOU. TCSANOW: waiting for
// the output to drain could wait for ever on a terminal that does not read.
void Set_Modes_Unstoppable(const termios& modes, bool drop_unread_keys) {
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGTTOU, &ignore, &previous);
    while (tcsetattr(STDIN_FILENO, TCSANOW, &modes) != 0 && errno == EINTR) {
    }
    // Keys typed for the game are not left for the shell to run.
    if (drop_unread_keys) tcflush(STDIN_FILENO, TCIFLUSH);
    sigaction(SIGTTOU, &previous, nullptr);
}

void Give_Back() {
    const int saved_errno = errno;
    const sig_atomic_t was = mode_set;
    mode_set = Mode_As_Found;
    if (was != Mode_As_Found) {
        if (modes_saved) Set_Modes_Unstoppable(saved_modes, true);
        if (was == Mode_Game) Write_Bounded(STDOUT_FILENO, platform::Ansi_Leave_Full_Screen, Leave_Wait_Ms);
    }
    errno = saved_errno;
}

// ---- Signal handlers ---------------------------------------------------------

// Every signal whose default action ends the process. SIGKILL cannot be
// caught; the real-time signals are added when the handlers are installed.
constexpr std::initializer_list<int> Ending_Signals = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,   SIGABRT, SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU,   SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGIO
    SIGIO,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
};

extern "C" void On_Ending_Signal(int signal_number) {
    Give_Back();
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(signal_number, &default_action, nullptr);
    // Blocked while this handler runs; delivered with its default action as
    // the handler returns, so the process ends with the signal's own status
    // (and its core dump, where the default makes one).
    (void)raise(signal_number);
}

// Stops the process here, as Ctrl+Z does by default, until it is continued.
void Stop_Now() {
    struct sigaction stop {};
    struct sigaction ours {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &ours);
    sigset_t only_stop;
    sigset_t previous;
    sigemptyset(&only_stop);
    sigaddset(&only_stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &only_stop, &previous);
    (void)raise(SIGTSTP);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    sigaction(SIGTSTP, &ours, nullptr);
}

// Make and the shell stop at the same moment as the game and the shell prints
// at once: the terminal must be back before the loop could ever get to it.
extern "C" void On_Suspend_Key(int) {
    const int saved_errno = errno;
    Give_Back();
    suspensions = suspensions + 1;
    Stop_Now();
    continued = 1;  // the loop takes the terminal over again and repaints
    errno = saved_errno;
}

extern "C" void On_Continue(int) { continued = 1; }
extern "C" void On_Resize(int) { resized = 1; }

// A stack of its own for the handlers, so a crash from a stack overflow still
// gives the terminal back.
alignas(16) std::array<char, size_t{64} * 1024> handler_stack;

bool Has_Default_Action(int signal_number) {
    struct sigaction current {};
    return sigaction(signal_number, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
           current.sa_handler == SIG_DFL;
}

void Install(int signal_number, void (*handler)(int), const sigset_t& blocked) {
    // Only a signal left to its default is taken: one ignored when the game
    // started (SIGHUP under nohup, SIGINT in a background job of a script)
    // stays ignored, and one that a preloaded tool or a sanitizer handles
    // stays with it.
    if (!Has_Default_Action(signal_number)) return;
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_mask = blocked;  // one restore at a time: no handler interrupts another
    action.sa_flags = SA_ONSTACK;
    sigaction(signal_number, &action, nullptr);
}

void Install_Handlers() {
    if (handlers_installed) return;
    handlers_installed = true;
    stack_t alternate{};
    alternate.ss_sp = handler_stack.data();
    alternate.ss_size = handler_stack.size();
    sigaltstack(&alternate, nullptr);

    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal_number : Ending_Signals) sigaddset(&blocked, signal_number);
    for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) sigaddset(&blocked, signal_number);
    sigaddset(&blocked, SIGTSTP);
    sigaddset(&blocked, SIGCONT);

    for (int signal_number : Ending_Signals) Install(signal_number, On_Ending_Signal, blocked);
    for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
        Install(signal_number, On_Ending_Signal, blocked);
    }
    Install(SIGTSTP, On_Suspend_Key, blocked);
    Install(SIGCONT, On_Continue, blocked);
    Install(SIGWINCH, On_Resize, blocked);
}

bool Take(volatile sig_atomic_t& flag) {
    if (flag == 0) return false;
    flag = 0;
    return true;
}

// The suspend key comes to the game as a byte instead of as a signal: a
// signal from the terminal stops make or a wrapping shell at the same moment
// as the game, and the shell then prints its prompt and sets its own modes
// while the game is still giving the terminal back. Read as a key, the game
// gives the terminal back first and then stops its whole process group.
void Take_Suspend_Key(termios& modes) {
    const cc_t key = saved_modes.c_cc[VSUSP];
    if ((saved_modes.c_lflag & ISIG) == 0 || key == _POSIX_VDISABLE || !Has_Default_Action(SIGTSTP)) return;
    suspend_key = key;
    modes.c_cc[VSUSP] = _POSIX_VDISABLE;
}

void Save_Modes() {
    if (modes_saved || !input_is_terminal || tcgetattr(STDIN_FILENO, &saved_modes) != 0) return;
    modes_saved = true;
    // No line editing, no echo, no literal-next or discard keys. ISIG stays,
    // so Ctrl+C and Ctrl+\ still signal.
    termios keys = saved_modes;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    keys.c_cc[VMIN] = 0;
    keys.c_cc[VTIME] = 0;
    Take_Suspend_Key(keys);
    held_modes = keys;
    game_modes = keys;
    // No output flow control either: Ctrl+S must not freeze the field.
    game_modes.c_iflag &= static_cast<tcflag_t>(~IXON);
}

// Sets the modes the game asked for. From a background process group this
// stops on SIGTTOU until the game is brought to the foreground, as it should.
void Apply(int wanted) {
    mode_set = wanted;  // from here on a signal puts everything back
    if (modes_saved) {
        const termios& modes = wanted == Mode_Game ? game_modes : held_modes;
        while (tcsetattr(STDIN_FILENO, TCSANOW, &modes) != 0 && errno == EINTR) {
        }
    }
    if (wanted == Mode_Game) {
        Write_All(STDOUT_FILENO, reinterpret_cast<const uint8_t*>(platform::Ansi_Enter_Full_Screen.data()),
                  platform::Ansi_Enter_Full_Screen.size());
    }
}

}  // namespace

int64_t Monotonic_Ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

void Session_Init() {
    input_is_terminal = isatty(STDIN_FILENO) == 1;
    output_is_terminal = isatty(STDOUT_FILENO) == 1;
}

bool Input_Is_Terminal() { return input_is_terminal; }
bool Output_Is_Terminal() { return output_is_terminal; }

bool Output_Terminal_Gone() {
    // An empty write asks the terminal without showing anything.
    return output_is_terminal && write(STDOUT_FILENO, "", 0) < 0 && errno == EIO;
}

void Session_End_As_Hang_Up() {
    Give_Back();
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(SIGHUP, &default_action, nullptr);
    sigset_t hang_up;
    sigemptyset(&hang_up);
    sigaddset(&hang_up, SIGHUP);
    sigprocmask(SIG_UNBLOCK, &hang_up, nullptr);
    (void)raise(SIGHUP);
    _exit(128 + SIGHUP);  // not reached: the default action ends the process
}

void Session_Hold_Keys() {
    if (mode_wanted != Mode_As_Found) return;
    Save_Modes();
    Install_Handlers();
    mode_wanted = Mode_Keys_Held;
    Apply(Mode_Keys_Held);
}

void Session_Take_Over() {
    if (mode_wanted == Mode_Game) return;
    Save_Modes();
    Install_Handlers();
    mode_wanted = Mode_Game;
    Apply(Mode_Game);
}

void Session_Restore() {
    mode_wanted = Mode_As_Found;
    Give_Back();
}

bool Is_Suspend_Key(uint8_t byte) { return suspend_key != 0 && byte == suspend_key && mode_set != Mode_As_Found; }

void Session_Suspend() {
    Give_Back();
    // The whole process group, make or a wrapping shell included, stops now
    // that the terminal is back; the game's own handler stops the game.
    kill(0, SIGTSTP);
}

void Session_Reclaim() {
    if (mode_wanted != Mode_As_Found) Apply(mode_wanted);
}

bool Take_Continue_Notice() { return Take(continued); }
bool Take_Resize_Notice() { return Take(resized); }

platform::Screen_Size Query_Size() {
    for (int descriptor : {STDOUT_FILENO, STDIN_FILENO}) {
        winsize size{};
        if (ioctl(descriptor, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
            return {size.ws_col, size.ws_row};
        }
    }
    return {80, 24};
}

void Write_All(int descriptor, const uint8_t* data, size_t length) {
    Write_Until(descriptor, reinterpret_cast<const char*>(data), length, -1, false);
}

void Write_Frame(int descriptor, const uint8_t* data, size_t length) {
    Write_Until(descriptor, reinterpret_cast<const char*>(data), length, -1, true);
}

}  // namespace posix_terminal
