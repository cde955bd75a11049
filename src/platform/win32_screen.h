#pragma once
// The Windows side of the screen: where the game's output goes (a console, or
// a file or pipe when standard output is redirected), taking the console over
// for the field and giving it back on every way out.
//
// The drawing itself is the one every back end shares: the screen model, the
// renderer and the code page 932 glyph table, whose bytes (UTF-8 text and a
// few cursor movements) are carried out here. On a console they become
// SetConsoleCursorPosition and WriteConsoleW calls, so the text shows right
// whatever code page the console is in and no console setting is changed; on
// a file or pipe they are written as they stand, as the POSIX build writes to
// a terminal.

#include <cstdint>

#include "platform/core/terminal_bytes.h"

namespace win32_screen {

// Looks at standard output once. Changes nothing.
void Screen_Init();
bool Output_Is_Console();

// Code page 932 bytes (one character) into UTF-8; -1 when there is no such
// character. The glyph table's converter.
int Cp932_To_Utf8(const uint8_t* in, int in_length, uint8_t* out, int out_capacity);

// From now on the field is drawn on a screen of its own: a new console screen
// buffer made active (the shell's buffer stays as it was underneath), or the
// alternate screen of a terminal reading the stream. Done once.
void Screen_Take_Over();

struct Screen_Size {
    int columns;
    int rows;
};
// The size of the screen the field is drawn on.
Screen_Size Query_Size();

// Makes the shell's screen buffer the active one again (or leaves the
// alternate screen). Safe from the console's control handler thread while the
// game thread draws; a second call does nothing.
void Screen_Restore();

// Carries out what the buffer holds and empties it.
void Drain(platform::Output_Bytes& out);

}  // namespace win32_screen
