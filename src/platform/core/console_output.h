#pragma once
// What every back end does with the game's writes: each lands in the screen
// model; until the game first places the cursor it also goes out at once as
// plain text (the missing-file notice), afterwards only through the renderer.

#include <cstdint>
#include <string_view>

#include "platform/core/cp932_glyphs.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_renderer.h"
#include "platform/core/terminal_bytes.h"
#include "platform/screen_model.h"

namespace platform {

struct Console_Output {
    bool full_screen = false;  // the game has taken the screen over
    Screen_Model model;
    Terminal_View view;
    Glyph_Table glyphs;
    Plain_Text plain;
    Output_Bytes out;
};

// puts and printf("%c") as the game calls them.
void Output_Line(Console_Output& console, std::string_view text, Drain_Function drain);
void Output_Byte(Console_Output& console, uint8_t byte, Drain_Function drain);

// Plain text still buffered goes out, a lead byte held back included. Nothing
// to do once the screen is taken over.
void Finish_Plain_Text(Console_Output& console, Drain_Function drain);

}  // namespace platform
