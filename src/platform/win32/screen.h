// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The Windows side of the screen: where the game's output goes (a console, or
// a file or pipe when standard output is redirected), taking the console over
// for the field and giving it back on every way out.
//
// The shared core decides what to draw; here its drawing operations are
// carried out. On a console they are SetConsoleCursorPosition and
// WriteConsoleW calls on a screen buffer of the game's own, so the text shows
// right whatever code page the console is in and no console setting is
// changed; on a file or pipe they are the escape bytes a terminal reading the
// stream expects, as the POSIX build writes them.

#include <cstdint>

#include "platform/core/console.h"
#include "platform/core/cp932_glyphs.h"

namespace win32_screen {

// Looks at standard output once and sets the drawing up with the glyph table
// (which must outlive it). Changes nothing on the screen.
void Screen_Init(const platform::Glyph_Table& glyphs);

// Code page 932 bytes (one character) into UTF-8; -1 when there is no such
// character. The glyph table's converter.
int Cp932_To_Utf8(const uint8_t* in, int in_length, uint8_t* out, int out_capacity);

// The drawing entries of the back end's table (platform/core/console.h), for
// where the output goes. Taking over the screen is safe against a give-back
// from the control handler's thread: none comes after it.
void Screen_Place_Cursor(int row, int column, int from_row, int from_column);
void Screen_Write_Cells(const platform::Cell_Code* codes, int count);
void Screen_New_Line();
void Screen_Clear();
void Screen_Take_Over();
void Screen_Send();

// The size of the screen the field is drawn on.
platform::Screen_Size Query_Size();

// Makes the shell's screen buffer the active one again (or leaves the
// alternate screen). Safe from the console's control handler thread while the
// game thread draws; a second call does nothing.
void Screen_Restore();

}  // namespace win32_screen
