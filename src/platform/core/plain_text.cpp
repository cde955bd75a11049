#include "platform/core/plain_text.h"

namespace platform {

namespace {

// Room for the longest thing one byte can add: a placeholder for a held lead
// byte, then a character or a line end.
constexpr size_t Most_Bytes_Per_Put = 16;

void Put_Code(Cell_Code code, const Glyph_Table& glyphs, Output_Bytes& out) { Append(out, Glyph_Of(glyphs, code)); }

}  // namespace

void Plain_Put(Plain_Text& text, uint8_t byte, const Glyph_Table& glyphs, Output_Bytes& out, Drain_Function drain) {
    if (Room_Left(out) < Most_Bytes_Per_Put && drain != nullptr) drain(out);
    if (text.held_lead != 0) {
        const uint8_t lead = text.held_lead;
        text.held_lead = 0;
        if (Is_Cp932_Trail(byte)) {
            const std::array<uint8_t, 2> pair = {lead, byte};
            std::array<Cell_Code, 2> codes{};
            Layout_Row(pair.data(), 2, glyphs, codes.data());
            Put_Code(codes[0], glyphs, out);
            if (codes[1] != Cell_Second_Half) Put_Code(codes[1], glyphs, out);
            return;
        }
        Put_Code(Cell_Placeholder, glyphs, out);
    }
    if (byte == '\n') {
        Append(out, text.line_end);
    } else if (Is_Cp932_Lead(byte)) {
        text.held_lead = byte;
    } else {
        Cell_Code code = Cell_Placeholder;
        Layout_Row(&byte, 1, glyphs, &code);
        Put_Code(code, glyphs, out);
    }
}

void Plain_Finish(Plain_Text& text, const Glyph_Table& glyphs, Output_Bytes& out, Drain_Function drain) {
    if (text.held_lead == 0) return;
    if (Room_Left(out) < Most_Bytes_Per_Put && drain != nullptr) drain(out);
    text.held_lead = 0;
    Put_Code(Cell_Placeholder, glyphs, out);
}

}  // namespace platform
