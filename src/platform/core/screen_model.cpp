// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/screen_model.h"

namespace platform {

void Model_Clear(Screen_Model& model) {
    for (auto& row : model.cells) row.fill(Screen_Model::Blank);
    model.dirty_rows.fill(true);
    model.x = 0;
    model.y = 0;
}

void Model_Place(Screen_Model& model, int x, int y) {
    model.x = x;
    model.y = y;
}

void Model_Put(Screen_Model& model, uint8_t byte) {
    if (byte == '\n') {
        model.x = 0;
        ++model.y;
        return;
    }
    if (Model_Contains(model.x, model.y)) {
        uint8_t& cell = model.cells[model.y][model.x];
        if (cell != byte) {
            cell = byte;
            model.dirty_rows[model.y] = true;
        }
    }
    ++model.x;
}

void Model_Put_Line(Screen_Model& model, std::string_view text) {
    for (char c : text) Model_Put(model, static_cast<uint8_t>(c));
    Model_Put(model, '\n');
}

}  // namespace platform
