// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Taking the terminal over for the game and giving it back exactly as it was,
// on every way out: normal exit, the fatal stops, and every signal that ends
// or suspends the process.

#include <cstddef>
#include <cstdint>

#include "platform/core/console.h"

namespace posix_terminal {

// Checks which standard streams are terminals. Writes nothing.
void Session_Init();
bool Input_Is_Terminal();
bool Output_Is_Terminal();

// True when standard output is a terminal that is gone (its window was
// closed): writing to it fails with EIO. Writes nothing.
bool Output_Terminal_Gone();

// For a terminal that is gone while hang-ups are ignored (nohup): gives back
// what can still be given and ends the process as the hang-up would have.
[[noreturn]] void Session_End_As_Hang_Up();

// While the missing-file notice waits: the screen stays as it is, but keys
// typed now are neither echoed nor left for the shell once the game ends
// (the loop reads and drops them).
void Session_Hold_Keys();

// Keys without line buffering or echo (the keyboard's signals stay on), the
// alternate screen with the cursor hidden, and the handlers that undo it all.
// Terminal modes are touched only when standard input is a terminal.
void Session_Take_Over();

// Gives the terminal back: the saved modes first, with unread keys dropped,
// then the normal screen and the cursor, sent with a bounded wait so that a
// terminal that does not read cannot hold the exit. Async-signal-safe, so the
// signal handlers call it too; a second call does nothing.
void Session_Restore();

// True for the byte of the player's suspend key (Ctrl+Z), which the terminal
// passes to the game as input while the game holds it.
bool Is_Suspend_Key(uint8_t byte);

// Gives the terminal back, then stops the game's whole process group as the
// suspend key does; returns once the game is continued.
void Session_Suspend();

// True once after the game was stopped and continued (by the suspend key, a
// SIGTSTP from outside, which its handler serves at once, or SIGSTOP): the
// loop then takes the terminal over again and repaints, since the shell may
// have reset both meanwhile.
bool Take_Continue_Notice();
bool Take_Resize_Notice();

// Puts the terminal back into the state the game last asked for.
void Session_Reclaim();

// The terminal's size, or 80 x 24 when no terminal reports one.
platform::Screen_Size Query_Size();

// Milliseconds on a clock that never jumps. Async-signal-safe.
int64_t Monotonic_Ms();

// Writes everything, retrying after signals and partial writes. Output to a
// terminal that has gone away is dropped.
void Write_All(int descriptor, const uint8_t* data, size_t length);

// The same for a frame of the game's screen, except that a frame cut by a
// suspension is dropped: the shell's screen is showing by then, and the whole
// field is drawn again once the game is continued.
void Write_Frame(int descriptor, const uint8_t* data, size_t length);

}  // namespace posix_terminal
