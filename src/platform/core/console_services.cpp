// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The console services of platform.h, served alike for every back end
// through the shared console it keeps (Platform_Console) and its table. Built
// into each back end's library, next to the back end that defines
// Platform_Console.

#include <cstdlib>
#include <ctime>
#include <limits>

#include "platform/core/console.h"
#include "platform/platform.h"

namespace platform {

Output_Handle Get_Output_Handle() {
    Console_Start(Platform_Console());
    return {1};
}

namespace {

// What the game did since its last pause, for Console::quiet_pauses.
Console& Active_Console() {
    Console& console = Platform_Console();
    console.quiet_pauses = 0;
    return console;
}

}  // namespace

void Set_Cursor_Position(Output_Handle, Cursor_Coord where) {
    Console_Place_Cursor(Active_Console(), where.X, where.Y);
}

void Write_Line(std::string_view text) { Console_Write_Line(Active_Console(), text); }

void Write_Byte(uint8_t byte) { Console_Write_Byte(Active_Console(), byte); }

bool Key_Waiting() {
    Console& console = Platform_Console();
    Console_Flush(console);
    return console.backend.key_waiting();
}

int Take_Key() { return Active_Console().backend.take_key(); }

void Pause_Ms(int milliseconds) {
    Console& console = Platform_Console();
    Console_Flush(console);
    if (console.quiet_pauses < std::numeric_limits<int>::max()) ++console.quiet_pauses;
    console.backend.pause(milliseconds);
}

int64_t Clock_Seconds() { return Active_Console().backend.clock_seconds(); }

void Fatal_Exit() {
    Console& console = Platform_Console();
    Console_Start(console);
    Console_Finish(console);
    console.backend.end_program(-1);
    std::abort();  // a back end's end_program does not return
}

int64_t Wall_Clock_Seconds() { return static_cast<int64_t>(std::time(nullptr)); }

void Exit_Process(int status) { std::exit(status); }

}  // namespace platform
