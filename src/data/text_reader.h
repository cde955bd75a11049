// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Reading of the game's text files, the same on every platform: the Windows
// runtime's text mode (a carriage return before a line feed is dropped, a
// Ctrl+Z byte ends the file) and the scanf conversions the files are written
// for, without its platform differences and without writing past a buffer.

#include <cstdint>
#include <cstdio>
#include <span>

struct Text_File {
    std::FILE* file = nullptr;
    bool ended = false;
    bool ended_at_ctrl_z = false;  // the end was a Ctrl+Z byte, not the end of the file
    int held = -2;  // one character handed back by Unread_Char; -2 when none
};

// False when the file cannot be opened for reading: missing, unreadable, or
// not a regular file (a directory, a FIFO, a device, a socket).
bool Open_Text_File(Text_File& text, const char* file_name);
void Close_Text_File(Text_File& text);

// fgetc in text mode: a byte 0..255, or -1 at the end of the file.
int Read_Char(Text_File& text);
void Unread_Char(Text_File& text, int c);

// The byte offset in the file of the character Read_Char returns next; once
// the file has ended, where it ended: its length, or the offset of the Ctrl+Z.
// Only the data checker asks.
long Offset_Of_Next_Char(const Text_File& text);

// The byte that ends a file in text mode, wherever it stands.
inline constexpr int Ctrl_Z = 0x1A;

// What the C library's isspace accepts in the "C" locale: what separates values.
constexpr bool Is_Space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One conversion as the data checker sees it: where its token lies in the
// file and what became of it.
struct Value_Note {
    enum class Outcome : uint8_t {
        Read,
        Not_A_Number,  // start: where the token that is not one begins
        Ended,         // start: where the file (or its Ctrl+Z) ends
        Skipped,       // an earlier conversion failed; nothing was read
    };
    Outcome outcome = Outcome::Skipped;
    bool text = false;            // %s into a buffer, else %d
    bool cut = false;             // a text token longer than its buffer
    const void* field = nullptr;  // what the conversion fills
    long start = -1;              // byte offset of the token's first byte
    long end = -1;                // just past the token (a cut text's whole token),
                                  // or past the carriage return ending its line
    int32_t number = 0;           // what %d made of the token
};

// Told of every conversion, in order, once it is done. The game sets none: an
// unwatched scanner reads exactly as it always did, at the cost of testing a
// null pointer per conversion.
struct Value_Observer {
    void* context = nullptr;
    void (*told)(void* context, const Value_Note& note) = nullptr;
    Value_Note note;  // the conversion under way
};

// The scanf conversions, applied in order: after the first one that fails
// (end of file, or a value that is not a number) every later one does
// nothing, and its field keeps what it held.
struct Value_Scanner {
    Text_File& text;
    bool failed = false;
    Value_Observer* observer = nullptr;  // the data checker's; null in the game

    // %s into a zero-terminated buffer. A longer token is cut at a character
    // boundary (never inside a double-byte character) and read to its end;
    // true when it was cut.
    bool Token(std::span<char> buffer);

    // %d: optional sign and decimal digits, accumulated modulo 2^32.
    bool Int(int32_t& value);

    // %d stored in a field of 16 or 32 bits, keeping the low bits.
    template <typename Field>
    void Number(Field& field) {
        int32_t value = 0;
        if (Int(value)) field = static_cast<Field>(static_cast<uint32_t>(value));
        if (observer != nullptr) Tell(&field, false);
    }

    // Hands the observer the conversion just done.
    void Tell(const void* field, bool text_field);
};
