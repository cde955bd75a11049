// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/plain_text.h"

#include "platform/core/console.h"

namespace platform {

namespace {

void Put_Code(Cell_Code code, const Console_Backend& backend) { backend.write_cells(&code, 1); }

}  // namespace

void Plain_Put(Plain_Text& text, uint8_t byte, const Glyph_Table& glyphs, const Console_Backend& backend) {
    if (text.held_lead != 0) {
        const uint8_t lead = text.held_lead;
        text.held_lead = 0;
        if (Is_Cp932_Trail(byte)) {
            const std::array<uint8_t, 2> pair = {lead, byte};
            std::array<Cell_Code, 2> codes{};
            Layout_Row(pair.data(), 2, glyphs, codes.data());
            Put_Code(codes[0], backend);
            if (codes[1] != Cell_Second_Half) Put_Code(codes[1], backend);
            return;
        }
        Put_Code(Cell_Placeholder, backend);
    }
    if (byte == '\n') {
        backend.new_line();
    } else if (Is_Cp932_Lead(byte)) {
        text.held_lead = byte;
    } else {
        Cell_Code code = Cell_Placeholder;
        Layout_Row(&byte, 1, glyphs, &code);
        Put_Code(code, backend);
    }
}

void Plain_Finish(Plain_Text& text, const Console_Backend& backend) {
    if (text.held_lead == 0) return;
    text.held_lead = 0;
    Put_Code(Cell_Placeholder, backend);
}

}  // namespace platform
