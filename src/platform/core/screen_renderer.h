// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Brings a terminal to show what the screen model holds, drawing only the
// columns that differ from what the terminal already shows, through the back
// end's drawing operations (core/console.h).
//
// Every double-byte character covers exactly two columns whatever width the
// terminal gives it: its second column is made blank first where it is not,
// then the character is written on its first column, and the cursor is placed
// again before the next write since it may stand one or two columns further
// on. Nothing is written past the terminal's right edge or bottom row, so
// nothing wraps.

#include <array>

#include "platform/core/cp932_glyphs.h"
#include "platform/core/screen_model.h"

namespace platform {

struct Console_Backend;  // core/console.h

// The field needs 54 columns, and the line feed after its last row puts the
// console cursor on a twentieth row.
inline constexpr int Needed_Columns = 54;
inline constexpr int Needed_Rows = 20;

// What the terminal shows, as far as we know it.
struct Terminal_View {
    std::array<std::array<Cell_Code, Screen_Model::Columns>, Screen_Model::Rows> shown;
    int width = 0;
    int height = 0;
    int cursor_row = -1;     // -1: not known
    int cursor_column = -1;  // -1: not known, e.g. after a character of either width
    bool repaint_pending = true;
    int notice_width = -1;   // the size the too-small notice was shown for
    int notice_height = -1;
};

// A terminal of this size whose content is not known yet.
void View_Start(Terminal_View& view, int width, int height);

// A new size: everything is drawn again at the next presentation.
void View_Resize(Terminal_View& view, int width, int height);

// The terminal's content is lost (after a suspension): draw everything again.
void View_Invalidate(Terminal_View& view);

// Draws the model's rows that changed since the last presentation and marks
// the rows it drew clean; the caller sends the frame. While the terminal is
// smaller than the field needs, a one-line notice with both sizes stands in
// place of the field.
void Present_Model(Screen_Model& model, Terminal_View& view, const Glyph_Table& glyphs,
                   const Console_Backend& backend);

}  // namespace platform
