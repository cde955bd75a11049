#pragma once
// Taking the terminal over for the game and giving it back exactly as it was,
// on every way out: normal exit, the fatal stops, and the signals that end or
// suspend the process.

#include <cstddef>
#include <cstdint>

namespace posix_terminal {

// Checks which standard streams are terminals. Writes nothing.
void Session_Init();
bool Output_Is_Terminal();

// Keys without line buffering or echo (the keyboard's signals stay on), the
// alternate screen with the cursor hidden, and the handlers that undo it all.
// Terminal modes are touched only when standard input is a terminal.
void Session_Take_Over();

// Puts back the saved modes, the normal screen and the cursor. Uses only
// async-signal-safe calls, so the signal handlers call it too; a second call
// does nothing.
void Session_Restore();

// Gives the terminal back, stops the process as Ctrl+Z does, and takes the
// terminal over again once the process is continued.
void Session_Suspend();

// Requests recorded by the signal handlers, each reported once.
bool Take_Suspend_Request();
bool Take_Continue_Notice();
bool Take_Resize_Notice();

// Takes the terminal over again after an outside stop and continue, when the
// shell may have reset it.
void Session_Reclaim();

struct Terminal_Size {
    int columns;
    int rows;
};
// The terminal's size, or 80 x 24 when no terminal reports one.
Terminal_Size Query_Size();

// Writes everything, retrying after signals and partial writes. Output to a
// terminal that has gone away is dropped.
void Write_All(int descriptor, const uint8_t* data, size_t length);

}  // namespace posix_terminal
