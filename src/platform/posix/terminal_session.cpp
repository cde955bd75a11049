#include "platform/posix/terminal_session.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <initializer_list>
#include <string_view>

namespace posix_terminal {

namespace {

// Shared with the signal handlers.
volatile sig_atomic_t taken_over = 0;
volatile sig_atomic_t on_alternate_screen = 0;
volatile sig_atomic_t suspend_requested = 0;
volatile sig_atomic_t continued = 0;
volatile sig_atomic_t resized = 0;

bool input_is_terminal = false;
bool output_is_terminal = false;
bool modes_saved = false;
bool handlers_installed = false;
termios saved_modes{};
termios game_modes{};

constexpr std::array<int, 5> Ending_Signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
// The screen is cleared by the first frame drawn on it.
constexpr std::string_view Enter_Game_Screen_Bytes = "\x1b[?1049h\x1b[?25l";
constexpr std::string_view Leave_Game_Screen = "\x1b[?25h\x1b[?1049l";

// write() until done; nothing else, so a signal handler may call it.
void Write_From_Handler(std::string_view text) {
    const char* next = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t written = write(STDOUT_FILENO, next, left);
        if (written > 0) {
            next += written;
            left -= static_cast<size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

// Sets the terminal's modes even from a background process group: giving the
// terminal back must not stop the process on SIGTTOU.
void Set_Modes_Unstoppable(const termios& modes, int when) {
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGTTOU, &ignore, &previous);
    while (tcsetattr(STDIN_FILENO, when, &modes) != 0 && errno == EINTR) {
    }
    sigaction(SIGTTOU, &previous, nullptr);
}

termios Game_Modes(const termios& saved) {
    termios modes = saved;
    // No line editing, no echo, no literal-next or discard keys, no output
    // flow control (Ctrl+S must not freeze the screen). ISIG stays, so Ctrl+C,
    // Ctrl+\ and Ctrl+Z still signal.
    modes.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    modes.c_iflag &= static_cast<tcflag_t>(~IXON);
    modes.c_cc[VMIN] = 0;
    modes.c_cc[VTIME] = 0;
    return modes;
}

void Enter_Game_Screen() {
    taken_over = 1;  // from here on a signal puts everything back
    if (modes_saved) {
        // From a background process group this stops on SIGTTOU until the
        // game is brought to the foreground, as it should.
        while (tcsetattr(STDIN_FILENO, TCSANOW, &game_modes) != 0 && errno == EINTR) {
        }
    }
    on_alternate_screen = 1;
    Write_All(STDOUT_FILENO, reinterpret_cast<const uint8_t*>(Enter_Game_Screen_Bytes.data()),
              Enter_Game_Screen_Bytes.size());
}

// ---- Signal handlers --------------------------------------------------------

extern "C" void On_Ending_Signal(int signal_number) {
    Session_Restore();
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(signal_number, &default_action, nullptr);
    // Blocked while this handler runs; delivered with its default action as
    // the handler returns, so the process ends with the signal's own status.
    raise(signal_number);
}

extern "C" void On_Suspend_Key(int) { suspend_requested = 1; }
extern "C" void On_Continue(int) { continued = 1; }
extern "C" void On_Resize(int) { resized = 1; }

bool Is_Ignored(int signal_number) {
    struct sigaction current {};
    return sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void Install(int signal_number, void (*handler)(int), bool keep_ignored) {
    if (keep_ignored && Is_Ignored(signal_number)) return;  // e.g. SIGHUP under nohup
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // One restore at a time: no ending signal interrupts another's handler.
    for (int ending : Ending_Signals) sigaddset(&action.sa_mask, ending);
    action.sa_flags = 0;
    sigaction(signal_number, &action, nullptr);
}

void Install_Handlers() {
    if (handlers_installed) return;
    handlers_installed = true;
    for (int signal_number : Ending_Signals) Install(signal_number, On_Ending_Signal, true);
    Install(SIGTSTP, On_Suspend_Key, true);
    Install(SIGCONT, On_Continue, false);
    Install(SIGWINCH, On_Resize, false);
}

bool Take(volatile sig_atomic_t& flag) {
    if (flag == 0) return false;
    flag = 0;
    return true;
}

}  // namespace

void Session_Init() {
    input_is_terminal = isatty(STDIN_FILENO) == 1;
    output_is_terminal = isatty(STDOUT_FILENO) == 1;
}

bool Output_Is_Terminal() { return output_is_terminal; }

void Session_Take_Over() {
    if (taken_over != 0) return;
    if (input_is_terminal && tcgetattr(STDIN_FILENO, &saved_modes) == 0) {
        modes_saved = true;
        game_modes = Game_Modes(saved_modes);
    }
    Install_Handlers();
    Enter_Game_Screen();
}

void Session_Restore() {
    const int saved_errno = errno;
    if (taken_over != 0) {
        taken_over = 0;
        if (on_alternate_screen != 0) {
            on_alternate_screen = 0;
            Write_From_Handler(Leave_Game_Screen);
        }
        // Keys typed for the game are not left for the shell to read.
        if (modes_saved) Set_Modes_Unstoppable(saved_modes, TCSAFLUSH);
    }
    errno = saved_errno;
}

void Session_Suspend() {
    Session_Restore();
    struct sigaction stop {};
    struct sigaction previous {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &previous);
    raise(SIGTSTP);  // the process stops here until it is continued
    sigaction(SIGTSTP, &previous, nullptr);
    continued = 0;
    Enter_Game_Screen();
}

void Session_Reclaim() {
    if (taken_over != 0) Enter_Game_Screen();
}

bool Take_Suspend_Request() { return Take(suspend_requested); }
bool Take_Continue_Notice() { return Take(continued); }
bool Take_Resize_Notice() { return Take(resized); }

Terminal_Size Query_Size() {
    for (int descriptor : {STDOUT_FILENO, STDIN_FILENO}) {
        winsize size{};
        if (ioctl(descriptor, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
            return {size.ws_col, size.ws_row};
        }
    }
    return {80, 24};
}

void Write_All(int descriptor, const uint8_t* data, size_t length) {
    while (length > 0) {
        const ssize_t written = write(descriptor, data, length);
        if (written > 0) {
            data += written;
            length -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Someone made the descriptor non-blocking: wait until it drains.
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(descriptor, &writable);
            select(descriptor + 1, nullptr, &writable, nullptr, nullptr);
            continue;
        }
        return;
    }
}

}  // namespace posix_terminal
