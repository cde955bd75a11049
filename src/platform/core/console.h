#pragma once
// The console as every back end runs it. Each write lands in the screen model
// first; until the game first places the cursor it also goes out at once as
// plain text (the missing-file notice, which stays readable after the game
// ends); the first placement takes the screen over for the field, and from
// then on the renderer brings the screen to match the model whenever the
// player could look. A back end supplies only what differs: its drawing
// operations, its screen's size and what happened to that screen meanwhile.

#include <cstdint>
#include <string_view>

#include "platform/core/cp932_glyphs.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_model.h"
#include "platform/core/screen_operations.h"
#include "platform/core/screen_renderer.h"

namespace platform {

struct Screen_Size {
    int columns;
    int rows;
};

struct Console_Backend {
    // Looks at the streams and fills the glyph table, before anything is
    // drawn; arranges for Console_Finish at exit.
    void (*start)(Glyph_Table& glyphs);
    // The operations, once start has run.
    const Screen_Operations& (*operations)();
    // The size of the screen the field is drawn on.
    Screen_Size (*screen_size)();
    // Before each frame: acts on what happened to the screen and the terminal
    // since the last one (resized, lost to a suspension) and tells the view.
    void (*serve_screen_events)(Terminal_View& view, bool full_screen);
};

struct Console {
    const Console_Backend& backend;
    bool started = false;
    bool full_screen = false;  // the game has taken the screen over
    Screen_Model model{};
    Terminal_View view{};
    Glyph_Table glyphs{};
    Plain_Text plain{};
};

// Sets the console up on its first use; later calls do nothing.
void Console_Start(Console& console);

// SetConsoleCursorPosition: the first placement takes the screen over.
void Console_Place_Cursor(Console& console, int x, int y);

// puts and printf("%c") as the game calls them.
void Console_Write_Line(Console& console, std::string_view text);
void Console_Write_Byte(Console& console, uint8_t byte);

// Brings the screen up to date and sends it: before every pause and key poll.
void Console_Flush(Console& console);

// The way out: plain text still held goes out, and whatever the game took of
// the screen and the terminal is given back.
void Console_Finish(Console& console);

// The console of the back end the program is built with (core/console_services.cpp
// serves the platform's drawing services, the clock and the fatal stop through it).
Console& Platform_Console();

}  // namespace platform
