// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Drawing as every part of the game uses it: place the cursor on a cell, write
// there. Keys are served to the hero by the field (field/hero_keys.h).

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

extern platform::Output_Handle stdout_handle;
extern platform::Cursor_Coord cursor;

void Fetch_Output_Handle();

// Sets the shared cursor record to (x, y) and places the console cursor there.
// Positions are truncated to the console's 16-bit coordinates.
void Place_Cursor(uint16_t x, uint16_t y);

// Places the cursor at (x, y) and writes the text, followed by a line feed.
void Draw_At(uint16_t x, uint16_t y, std::string_view text);

// The two glyphs every moving character uses.
inline constexpr std::string_view Hero_Glyph = "\x81\x9C";  // ● in code page 932
inline constexpr std::string_view Eraser = "  ";            // as wide as one glyph
