// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The scripted console for tests: a back end like the others under the shared
// console (platform/core/console.h), so the game draws through the same
// screen model and renderer that players see. Keys arrive at virtual times,
// pauses advance a virtual clock without waiting, so a test of several
// seconds of play runs in milliseconds and always alike; and the drawing
// operations go to a recorder that keeps the screen they draw.
//
// Every frame sent on the game's full screen is checked against the screen
// model: when the screen drawn differs from what the model holds, the frame
// throws std::logic_error, so any test that plays through the console fails
// on a fault of the shared console or renderer.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/core/screen_model.h"

namespace scripted {

// Thrown out of the game when the run ends: Fatal_Exit, or the virtual clock
// reaching the time given to Stop_At.
struct Process_Exit {
    int status;
};
struct Run_Stopped {};

// Blank screen, no keys, clock at 0 ms (whole-second clock at start_seconds).
void Reset(int64_t start_seconds = 1'700'000'000);

// Key codes that become waiting once the virtual clock reaches at_ms.
void Queue_Keys(int64_t at_ms, std::initializer_list<int> codes);

// A pause that would reach this virtual time throws Run_Stopped instead.
void Stop_At(int64_t at_ms);

int64_t Now_Ms();
int Pause_Count();
int Keys_Waiting();
int Clock_Reads();

// The screen, brought up to date first as a player's look would: the console's
// model of it (code page 932 bytes, and the cursor).
const platform::Screen_Model& Screen();
// The bytes of one screen row, trailing blanks removed.
std::string Row(int y);
// The two bytes at (x, y) and (x + 1, y).
std::string Cells(int x, int y);

// Drawing operations that changed the screen since Reset (cursor placements,
// writes, new lines, clears), once it is brought up to date.
int Output_Calls();

}  // namespace scripted
