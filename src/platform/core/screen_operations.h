// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The few drawing operations the shared core asks of a back end. The core
// decides what goes where (src/platform/core/screen_renderer.h); a back end
// only carries the operations out: a terminal as escape bytes
// (core/ansi_screen.h), the Windows console through its own calls, the tests
// into a recorder.

#include "platform/core/cp932_glyphs.h"

namespace platform {

struct Screen_Operations {
    // The cursor to (row, column), zero-based. The core says where it knows
    // the cursor to stand (-1 where it does not), so that a terminal can take
    // the shortest way there.
    void (*place_cursor)(int row, int column, int from_row, int from_column);

    // Characters at the cursor, one per code: a single-byte character or the
    // first column of a double-byte one, each covering its columns.
    void (*write_cells)(const Cell_Code* codes, int count);

    // Plain text before the game takes the screen over: on to the next line.
    void (*new_line)();

    // The whole screen blank.
    void (*clear)();

    // The game's own screen, blank and with the cursor hidden; and back to the
    // player's screen with the cursor shown, giving back whatever else the
    // game took of the terminal (nothing happens when nothing was taken). The
    // cursor is hidden exactly while the game owns the screen, so the two go
    // together; leaving must also be possible from a signal handler.
    void (*enter_full_screen)();
    void (*leave_full_screen)();

    // What the operations since the last send produced goes out now, in as few
    // writes as the back end can: the player sees a whole frame at once.
    void (*send)();
};

}  // namespace platform
