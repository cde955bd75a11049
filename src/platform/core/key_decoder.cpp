// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/key_decoder.h"

#include "platform/core/cp932_glyphs.h"
#include "platform/core/windows_keys.h"

namespace platform {

namespace {

constexpr uint8_t Esc = 0x1B;
constexpr int Largest_Parameter = 9999;

// ---- The queue behind Key_Waiting -------------------------------------------

bool Has_Room(const Key_Decoder& d, int codes) { return d.queue_count + codes <= Key_Decoder::Queue_Capacity; }

void Push(Key_Decoder& d, uint8_t code) {
    const int tail = (d.queue_head + d.queue_count) % Key_Decoder::Queue_Capacity;
    d.queue[static_cast<size_t>(tail)] = code;
    ++d.queue_count;
}

// A key is queued whole or, when the queue is full, not at all: half of a
// two-code key would turn the next key's first code into a move.
void Push_Code(Key_Decoder& d, uint8_t code) {
    if (Has_Room(d, 1)) Push(d, code);
}

void Push_Pair(Key_Decoder& d, Key_Pair pair) {
    if (!Has_Room(d, 2)) return;
    Push(d, pair.prefix);
    Push(d, pair.code);
}

void Push_Special(Key_Decoder& d, Special_Key key, Key_Modifiers modifiers) {
    if (d.alt_prefix) modifiers.alt = true;
    Push_Pair(d, Windows_Key(key, modifiers));
}

void Skip_Bytes(Key_Decoder& d, int count) {
    d.state = Decoder_State::Skip;
    d.bytes_to_skip = count;
}

// ---- Sequence parameters ----------------------------------------------------

struct Parameters {
    std::array<int, 4> values{};
    int count = 0;
    bool plain = true;  // only digits and semicolons
};

Parameters Parse_Parameters(const Key_Decoder& d) {
    Parameters p;
    if (d.body_length == 0) return p;
    p.count = 1;
    for (int i = 0; i < d.body_length; ++i) {
        const uint8_t byte = d.body[static_cast<size_t>(i)];
        if (byte >= '0' && byte <= '9') {
            int& value = p.values[static_cast<size_t>(p.count - 1)];
            value = value * 10 + (byte - '0');
            if (value > Largest_Parameter) value = Largest_Parameter;
        } else if (byte == ';' && p.count < static_cast<int>(p.values.size())) {
            ++p.count;
        } else {
            p.plain = false;  // a private marker, a sub-parameter, an intermediate
        }
    }
    return p;
}

bool Is_Numeric_Body(const Key_Decoder& d) {
    if (d.body_length == 0) return false;
    for (int i = 0; i < d.body_length; ++i) {
        const uint8_t byte = d.body[static_cast<size_t>(i)];
        if (!((byte >= '0' && byte <= '9') || byte == ';')) return false;
    }
    return true;
}

// ---- Keys by their final byte ----------------------------------------------

bool Letter_Key(uint8_t final, Special_Key& key) {
    switch (final) {
        case 'A': key = Special_Key::Up; return true;
        case 'B': key = Special_Key::Down; return true;
        case 'C': key = Special_Key::Right; return true;
        case 'D': key = Special_Key::Left; return true;
        case 'H': key = Special_Key::Home; return true;
        case 'F': key = Special_Key::End; return true;
        case 'P': key = Special_Key::F1; return true;
        case 'Q': key = Special_Key::F2; return true;
        case 'R': key = Special_Key::F3; return true;
        case 'S': key = Special_Key::F4; return true;
        default: return false;
    }
}

// rxvt's Shift+arrows (ESC [ a) and Ctrl+arrows (ESC O a).
bool Lower_Arrow_Key(uint8_t final, Special_Key& key) {
    if (final < 'a' || final > 'd') return false;
    return Letter_Key(static_cast<uint8_t>(final - 'a' + 'A'), key);
}

bool Numbered_Key(int number, Special_Key& key) {
    switch (number) {
        case 1: case 7: key = Special_Key::Home; return true;
        case 2: key = Special_Key::Insert; return true;
        case 3: key = Special_Key::Delete; return true;
        case 4: case 8: key = Special_Key::End; return true;
        case 5: key = Special_Key::Page_Up; return true;
        case 6: key = Special_Key::Page_Down; return true;
        case 11: key = Special_Key::F1; return true;
        case 12: key = Special_Key::F2; return true;
        case 13: key = Special_Key::F3; return true;
        case 14: key = Special_Key::F4; return true;
        case 15: key = Special_Key::F5; return true;
        case 17: key = Special_Key::F6; return true;
        case 18: key = Special_Key::F7; return true;
        case 19: key = Special_Key::F8; return true;
        case 20: key = Special_Key::F9; return true;
        case 21: key = Special_Key::F10; return true;
        case 23: key = Special_Key::F11; return true;
        case 24: key = Special_Key::F12; return true;
        default: return false;
    }
}

// ESC [ n ~ with an optional modifier; rxvt ends it with $ for Shift, ^ for
// Ctrl and @ for both.
void Finish_Numbered(Key_Decoder& d, const Parameters& p, uint8_t final) {
    Special_Key key{};
    if (p.count < 1 || p.count > 2 || !Numbered_Key(p.values[0], key)) return;
    Key_Modifiers modifiers = p.count == 2 ? Modifiers_From_Parameter(p.values[1]) : Key_Modifiers{};
    if (final == '$' || final == '@') modifiers.shift = true;
    if (final == '^' || final == '@') modifiers.ctrl = true;
    Push_Special(d, key, modifiers);
}

// ESC [ 1 ; m X carries a modifier; ESC [ X none. Anything else with these
// final bytes (a cursor position report, say) is no key.
bool Letter_Modifiers(const Parameters& p, Key_Modifiers& modifiers) {
    if (p.count == 0) return true;
    if (p.count == 2 && p.values[0] <= 1) {
        modifiers = Modifiers_From_Parameter(p.values[1]);
        return true;
    }
    return false;
}

void Finish_Csi(Key_Decoder& d, uint8_t final) {
    const Parameters p = Parse_Parameters(d);
    if (d.too_long || !p.plain) return;
    Special_Key key{};
    Key_Modifiers modifiers;
    if (Letter_Key(final, key)) {
        if (Letter_Modifiers(p, modifiers)) Push_Special(d, key, modifiers);
    } else if (final == 'Z') {
        if (Letter_Modifiers(p, modifiers)) Push_Special(d, Special_Key::Back_Tab, modifiers);
    } else if (final == '~' || final == '$' || final == '^' || final == '@') {
        Finish_Numbered(d, p, final);
    } else if (Lower_Arrow_Key(final, key) && p.count == 0) {
        modifiers.shift = true;
        Push_Special(d, key, modifiers);
    } else if (final == 'M' && d.body_length == 0) {
        // An X10 mouse report: three raw bytes follow, whatever their values.
        Skip_Bytes(d, 3);
    }
}

// The numeric keypad in application mode.
bool Keypad_Code(uint8_t final, uint8_t& code) {
    constexpr std::string_view Keypad = "*+,-./0123456789";
    if (final >= 'j' && final <= 'y') {
        code = static_cast<uint8_t>(Keypad[static_cast<size_t>(final - 'j')]);
        return true;
    }
    if (final == 'M') code = 13;
    if (final == 'X') code = '=';
    return final == 'M' || final == 'X';
}

void Finish_Ss3(Key_Decoder& d, uint8_t final) {
    const Parameters p = Parse_Parameters(d);
    if (d.too_long || !p.plain || p.count > 2) return;
    Special_Key key{};
    Key_Modifiers modifiers;
    if (p.count > 0) modifiers = Modifiers_From_Parameter(p.values[static_cast<size_t>(p.count - 1)]);
    uint8_t code = 0;
    if (Letter_Key(final, key)) {
        Push_Special(d, key, modifiers);
    } else if (Lower_Arrow_Key(final, key) && p.count == 0) {
        modifiers.ctrl = true;
        Push_Special(d, key, modifiers);
    } else if (p.count == 0 && !d.alt_prefix && Keypad_Code(final, code)) {
        Push_Code(d, code);
    }
}

// ---- The states -------------------------------------------------------------

void Feed_Ground(Key_Decoder& d, uint8_t byte);

void Start_Sequence(Key_Decoder& d, Decoder_State state) {
    d.state = state;
    d.body_length = 0;
    d.too_long = false;
}

// The sequence so far is dropped; the byte that broke it is read afresh.
void Abandon(Key_Decoder& d, uint8_t byte) {
    d.state = Decoder_State::Ground;
    d.alt_prefix = false;
    Feed_Ground(d, byte);
}

// A byte of 0x80 or more. In UTF-8 every byte of a character, its lead and
// its continuations alike, is one, and none is a key: each is dropped as it
// comes. A Shift-JIS trail byte may look like ASCII, so it goes with its lead;
// a half-width katakana or an invalid byte is dropped alone.
void Feed_Multibyte_Start(Key_Decoder& d, uint8_t byte) {
    if (d.encoding == Input_Encoding::Shift_Jis && Is_Cp932_Lead(byte)) d.state = Decoder_State::Sjis_Trail;
}

void Feed_Ground(Key_Decoder& d, uint8_t byte) {
    d.alt_prefix = false;
    if (byte == Esc) {
        Start_Sequence(d, Decoder_State::Escape);
    } else if (byte == '\r' || byte == '\n') {
        Push_Code(d, 13);
    } else if (byte == 0x7F || byte == 0x08) {
        Push_Code(d, 8);
    } else if (byte == 0x00) {
        Push_Pair(d, {0, 3});
    } else if (byte < 0x80) {
        Push_Code(d, byte);
    } else {
        Feed_Multibyte_Start(d, byte);
    }
}

void Feed_Escape(Key_Decoder& d, uint8_t byte) {
    if (byte == '[') {
        Start_Sequence(d, Decoder_State::Csi);
    } else if (byte == 'O') {
        Start_Sequence(d, Decoder_State::Ss3);
    } else if (byte == Esc) {
        // ESC ESC starts a sequence typed with Alt; a third ESC makes the
        // first one a key of its own.
        if (d.alt_prefix) Push_Code(d, 27);
        d.alt_prefix = true;
    } else if (byte == ']' || byte == 'P' || byte == '_' || byte == '^' || byte == 'X') {
        // A string report runs to BEL or ESC backslash (or to a pause, should this
        // have been Alt with one of these keys after all).
        d.state = Decoder_State::String;
    } else if (byte >= 0x20 && byte < 0x7F) {
        d.state = Decoder_State::Ground;  // Alt with a printable key: dropped
        d.alt_prefix = false;
    } else {
        Abandon(d, byte);
    }
}

void Append_Body(Key_Decoder& d, uint8_t byte) {
    if (d.body_length < Key_Decoder::Body_Capacity) {
        d.body[static_cast<size_t>(d.body_length++)] = byte;
    } else {
        d.too_long = true;
    }
}

void Feed_Csi(Key_Decoder& d, uint8_t byte) {
    if (d.body_length == 0 && byte == '[' && !d.too_long) {
        d.state = Decoder_State::Csi_Bracket;
    // NOLINTNEXTLINE(bugprone-branch-clone): '$' ends rxvt's keys only after digits
    } else if (byte == '$' && Is_Numeric_Body(d)) {
        d.state = Decoder_State::Ground;
        Finish_Csi(d, byte);
    } else if (byte >= 0x20 && byte <= 0x3F) {
        Append_Body(d, byte);
    } else if (byte >= 0x40 && byte <= 0x7E) {
        d.state = Decoder_State::Ground;
        Finish_Csi(d, byte);
    } else {
        Abandon(d, byte);
    }
}

void Feed_Csi_Bracket(Key_Decoder& d, uint8_t byte) {
    if (byte >= 'A' && byte <= 'E') {
        d.state = Decoder_State::Ground;
        Push_Special(d, static_cast<Special_Key>(static_cast<int>(Special_Key::F1) + (byte - 'A')), {});
    } else if (byte >= 0x20 && byte <= 0x7E) {
        d.state = Decoder_State::Ground;
    } else {
        Abandon(d, byte);
    }
}

void Feed_Ss3(Key_Decoder& d, uint8_t byte) {
    if (byte >= 0x30 && byte <= 0x3F) {
        Append_Body(d, byte);
    } else if (byte >= 0x40 && byte <= 0x7E) {
        d.state = Decoder_State::Ground;
        Finish_Ss3(d, byte);
    } else {
        Abandon(d, byte);
    }
}

void Feed_Skip(Key_Decoder& d, uint8_t) {
    if (--d.bytes_to_skip <= 0) d.state = Decoder_State::Ground;
}

void Feed_String(Key_Decoder& d, uint8_t byte) {
    if (byte == 0x07) d.state = Decoder_State::Ground;
    if (byte == Esc) d.state = Decoder_State::String_Escape;
}

void Feed_String_Escape(Key_Decoder& d, uint8_t byte) {
    if (byte == '\\') {
        d.state = Decoder_State::Ground;
        return;
    }
    // Not the string's end after all: the ESC starts something new.
    Start_Sequence(d, Decoder_State::Escape);
    d.alt_prefix = false;
    Feed_Escape(d, byte);
}

void Feed_Sjis_Trail(Key_Decoder& d, uint8_t byte) {
    const bool trail = (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
    if (trail) {
        d.state = Decoder_State::Ground;
    } else {
        Abandon(d, byte);
    }
}

}  // namespace

void Decoder_Reset(Key_Decoder& decoder, Input_Encoding encoding) {
    decoder = Key_Decoder{};
    decoder.encoding = encoding;
}

void Decoder_Feed(Key_Decoder& d, uint8_t byte) {
    d.idle_ms = 0;
    switch (d.state) {
        case Decoder_State::Ground: Feed_Ground(d, byte); break;
        case Decoder_State::Escape: Feed_Escape(d, byte); break;
        case Decoder_State::Csi: Feed_Csi(d, byte); break;
        case Decoder_State::Csi_Bracket: Feed_Csi_Bracket(d, byte); break;
        case Decoder_State::Ss3: Feed_Ss3(d, byte); break;
        case Decoder_State::Skip: Feed_Skip(d, byte); break;
        case Decoder_State::String: Feed_String(d, byte); break;
        case Decoder_State::String_Escape: Feed_String_Escape(d, byte); break;
        case Decoder_State::Sjis_Trail: Feed_Sjis_Trail(d, byte); break;
    }
}

void Decoder_Feed(Key_Decoder& decoder, std::string_view bytes) {
    for (char c : bytes) Decoder_Feed(decoder, static_cast<uint8_t>(c));
}

void Decoder_Tick(Key_Decoder& d, int elapsed_ms) {
    if (d.state == Decoder_State::Ground || elapsed_ms <= 0) return;
    d.idle_ms = elapsed_ms >= Lone_Escape_Ms ? Lone_Escape_Ms : d.idle_ms + elapsed_ms;
    if (d.idle_ms < Lone_Escape_Ms) return;
    // Nothing more came: a lone ESC is the Escape key; any other unfinished
    // sequence is dropped.
    if (d.state == Decoder_State::Escape) {
        if (d.alt_prefix) Push_Code(d, 27);
        Push_Code(d, 27);
    }
    d.state = Decoder_State::Ground;
    d.alt_prefix = false;
}

int Decoder_Keys_Waiting(const Key_Decoder& decoder) { return decoder.queue_count; }

int Decoder_Take_Key(Key_Decoder& d) {
    if (d.queue_count == 0) return -1;
    const uint8_t code = d.queue[static_cast<size_t>(d.queue_head)];
    d.queue_head = (d.queue_head + 1) % Key_Decoder::Queue_Capacity;
    --d.queue_count;
    return code;
}

}  // namespace platform
