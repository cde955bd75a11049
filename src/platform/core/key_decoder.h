// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Turns the bytes a terminal sends for key presses into the key codes the
// Windows runtime's _getch gives, so the game reads keys the same everywhere.
//
// A pure state machine: it is fed bytes and the time that passed, and keeps
// the decoded codes in a small fixed queue. It reads no clock of its own, so
// its tests control time exactly.
//
//   arrows, Home, End, Page Up/Down, Insert, Delete, F1..F12
//                      -> prefix 0 or 224, then the key's second code, with
//                         the second code of the Ctrl, Alt or Shift variant
//                         when the terminal reports a modifier
//   Enter (CR or LF)   -> 13          Backspace (DEL or BS) -> 8
//   Tab                -> 9           Ctrl+letter           -> 1..26
//   Ctrl+Space (NUL)   -> 0, 3        printable ASCII       -> itself
//   a lone ESC         -> 27, once no further byte came for Lone_Escape_Ms
//
// Dropped whole, never fed in as stray letters: unknown or over-long escape
// sequences (mouse reports, bracketed paste markers, focus events, string
// reports, ...), Alt with a printable key (ESC then the character), and every
// multi-byte
// character (UTF-8, or Shift-JIS when the terminal uses it), which the game
// has no use for.

#include <array>
#include <cstdint>
#include <string_view>

namespace platform {

enum class Input_Encoding : uint8_t { Utf8, Shift_Jis };

// Longer than one 10 ms pass of the game loop, so an arrow key whose bytes
// arrive in two reads is never taken for ESC and letters.
inline constexpr int Lone_Escape_Ms = 25;

enum class Decoder_State : uint8_t {
    Ground,
    Escape,       // after ESC
    Csi,          // after ESC [
    Csi_Bracket,  // after ESC [ [ (the Linux console's F1..F5)
    Ss3,          // after ESC O
    Skip,         // swallowing the three bytes of a mouse report
    String,       // inside a terminal's string report (ESC ] ... BEL, ESC P ... ESC backslash)
    String_Escape,  // after ESC inside such a string
    Sjis_Trail,   // after a Shift-JIS lead byte
};

struct Key_Decoder {
    static constexpr int Queue_Capacity = 64;
    static constexpr int Body_Capacity = 16;

    std::array<uint8_t, Queue_Capacity> queue{};
    int queue_head = 0;
    int queue_count = 0;

    Decoder_State state = Decoder_State::Ground;
    bool alt_prefix = false;  // ESC ESC: the sequence after it was typed with Alt
    bool too_long = false;    // the sequence outgrew `body`; dropped at its end
    std::array<uint8_t, Body_Capacity> body{};  // parameter and intermediate bytes
    int body_length = 0;
    int bytes_to_skip = 0;
    int idle_ms = 0;  // since the last byte of an unfinished sequence
    Input_Encoding encoding = Input_Encoding::Utf8;
};

void Decoder_Reset(Key_Decoder& decoder, Input_Encoding encoding);

void Decoder_Feed(Key_Decoder& decoder, uint8_t byte);
void Decoder_Feed(Key_Decoder& decoder, std::string_view bytes);

// Time passed with no byte arriving.
void Decoder_Tick(Key_Decoder& decoder, int elapsed_ms);

int Decoder_Keys_Waiting(const Key_Decoder& decoder);

// The next code, 0..255, or -1 when none is waiting.
int Decoder_Take_Key(Key_Decoder& decoder);

}  // namespace platform
