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

namespace {

bool finished_at_exit = false;

void Finish_At_Exit() { Console_Finish(Platform_Console()); }

// The program's console: from its first use on, whatever the game took of the
// screen and the terminal is given back when the program exits.
Console& Program_Console() {
    if (!finished_at_exit) finished_at_exit = std::atexit(Finish_At_Exit) == 0;
    return Platform_Console();
}

// What the game did since its last pause, for Console::quiet_pauses.
Console& Active_Console() {
    Console& console = Program_Console();
    console.quiet_pauses = 0;
    return console;
}

}  // namespace

Output_Handle Get_Output_Handle() {
    Console_Start(Program_Console());
    return {1};
}

void Set_Cursor_Position(Output_Handle, Cursor_Coord where) {
    Console_Place_Cursor(Active_Console(), where.X, where.Y);
}

void Write_Line(std::string_view text) { Console_Write_Line(Active_Console(), text); }

void Write_Byte(uint8_t byte) { Console_Write_Byte(Active_Console(), byte); }

bool Key_Waiting() {
    Console& console = Program_Console();
    Console_Flush(console);
    return Console_Key_Waiting(console);
}

int Take_Key() { return Console_Take_Key(Active_Console()); }

void Pause_Ms(int milliseconds) {
    Console& console = Program_Console();
    Console_Flush(console);
    if (console.quiet_pauses < std::numeric_limits<int>::max()) ++console.quiet_pauses;
    console.backend.pause(milliseconds);
}

int64_t Clock_Seconds() { return Active_Console().backend.clock_seconds(); }

void Fatal_Exit() {
    Console& console = Program_Console();
    Console_Start(console);
    Console_Finish(console);
    console.backend.end_program(-1);
    std::abort();  // a back end's end_program does not return
}

int64_t Wall_Clock_Seconds() { return static_cast<int64_t>(std::time(nullptr)); }

void Exit_Process(int status) { std::exit(status); }

}  // namespace platform
