// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Text written before the game takes the screen over (the missing-file
// notice): plain lines on the normal screen, converted but not positioned, so
// they stay readable in the terminal after the game has ended.

#include <cstdint>

#include "platform/core/cp932_glyphs.h"

namespace platform {

struct Console_Backend;  // core/console.h

struct Plain_Text {
    uint8_t held_lead = 0;  // a lead byte waiting for its trail byte; 0 if none
};

// One byte of output; a line feed ends the line. A lead byte is held until the
// next byte shows whether it starts a character.
void Plain_Put(Plain_Text& text, uint8_t byte, const Glyph_Table& glyphs, const Console_Backend& backend);

// A lead byte still held shows as a placeholder.
void Plain_Finish(Plain_Text& text, const Console_Backend& backend);

}  // namespace platform
