#include "platform/core/console_output.h"

namespace platform {

void Output_Byte(Console_Output& console, uint8_t byte, Drain_Function drain) {
    Model_Put(console.model, byte);
    if (!console.full_screen) Plain_Put(console.plain, byte, console.glyphs, console.out, drain);
}

void Output_Line(Console_Output& console, std::string_view text, Drain_Function drain) {
    for (char c : text) Output_Byte(console, static_cast<uint8_t>(c), drain);
    Output_Byte(console, '\n', drain);
}

void Finish_Plain_Text(Console_Output& console, Drain_Function drain) {
    if (console.full_screen) return;
    Plain_Finish(console.plain, console.glyphs, console.out, drain);
    drain(console.out);
}

}  // namespace platform
