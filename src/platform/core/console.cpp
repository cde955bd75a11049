// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/console.h"

namespace platform {

namespace {

void Take_Over(Console& console) {
    const Screen_Operations& operations = console.backend.operations();
    Plain_Finish(console.plain, operations);
    operations.send();
    operations.enter_full_screen();
    const Screen_Size size = console.backend.screen_size();
    View_Start(console.view, size.columns, size.rows);
    console.full_screen = true;
}

}  // namespace

void Console_Start(Console& console) {
    if (console.started) return;
    console.started = true;
    Model_Clear(console.model);
    console.backend.start(console.glyphs);
}

void Console_Place_Cursor(Console& console, int x, int y) {
    Console_Start(console);
    if (!console.full_screen) Take_Over(console);
    Model_Place(console.model, x, y);
}

void Console_Write_Byte(Console& console, uint8_t byte) {
    Console_Start(console);
    Model_Put(console.model, byte);
    if (!console.full_screen) Plain_Put(console.plain, byte, console.glyphs, console.backend.operations());
}

void Console_Write_Line(Console& console, std::string_view text) {
    for (char c : text) Console_Write_Byte(console, static_cast<uint8_t>(c));
    Console_Write_Byte(console, '\n');
}

void Console_Flush(Console& console) {
    Console_Start(console);
    const Screen_Operations& operations = console.backend.operations();
    console.backend.serve_screen_events(console.view, console.full_screen);
    if (console.full_screen) Present_Model(console.model, console.view, console.glyphs, operations);
    operations.send();
}

void Console_Finish(Console& console) {
    if (!console.started) return;
    const Screen_Operations& operations = console.backend.operations();
    if (!console.full_screen) {
        Plain_Finish(console.plain, operations);
        operations.send();
    }
    operations.leave_full_screen();
}

}  // namespace platform
