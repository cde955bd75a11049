// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/console.h"

#include <array>

namespace platform {

namespace {

// Input that never ends (a pipe from `yes`) is read no more than this much a
// poll.
constexpr int Read_Chunk = 4096;
constexpr int Most_Reads_Per_Poll = 64;

void Take_Over(Console& console) {
    const Console_Backend& backend = console.backend;
    Plain_Finish(console.plain, backend);
    backend.send();
    backend.enter_full_screen();
    const Screen_Size size = backend.screen_size();
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
    if (!console.full_screen) Plain_Put(console.plain, byte, console.glyphs, console.backend);
}

void Console_Write_Line(Console& console, std::string_view text) {
    for (char c : text) Console_Write_Byte(console, static_cast<uint8_t>(c));
    Console_Write_Byte(console, '\n');
}

void Console_Flush(Console& console) {
    Console_Start(console);
    const Console_Backend& backend = console.backend;
    backend.serve_screen_events(console.view, console.full_screen);
    if (console.full_screen) Present_Model(console.model, console.view, console.glyphs, backend);
    backend.send();
}

void Console_Read_Input(Console& console) {
    const int64_t now = console.backend.now_ms();
    const int64_t elapsed = console.last_poll_ms < 0 ? 0 : now - console.last_poll_ms;
    console.last_poll_ms = now;
    std::array<uint8_t, Read_Chunk> bytes;
    int total = 0;
    for (int attempt = 0; attempt < Most_Reads_Per_Poll; ++attempt) {
        const int count = console.backend.read_input(bytes.data(), Read_Chunk);
        if (count <= 0) break;
        total += count;
        console.quiet_pauses = 0;
        if (!console.full_screen) continue;
        for (int i = 0; i < count; ++i) Decoder_Feed(console.keys, bytes[static_cast<size_t>(i)]);
    }
    // Time counts for an unfinished sequence only while nothing more came.
    if (total == 0) Decoder_Tick(console.keys, static_cast<int>(elapsed > 1000 ? 1000 : elapsed));
}

bool Console_Key_Waiting(Console& console) {
    if (console.backend.read_input == nullptr) return console.backend.key_waiting();
    Console_Read_Input(console);
    return Decoder_Keys_Waiting(console.keys) > 0;
}

int Console_Take_Key(Console& console) {
    if (console.backend.read_input == nullptr) return console.backend.take_key();
    const int code = Decoder_Take_Key(console.keys);
    return code < 0 ? 0 : code;
}

void Console_Finish(Console& console) {
    if (!console.started) return;
    const Console_Backend& backend = console.backend;
    if (!console.full_screen) {
        Plain_Finish(console.plain, backend);
        backend.send();
    }
    backend.leave_full_screen();
}

}  // namespace platform
