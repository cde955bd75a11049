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
    int held = -2;  // one character handed back by Unread_Char; -2 when none
};

// False when the file cannot be opened for reading: missing, unreadable, or
// not a regular file (a directory, a FIFO, a device, a socket).
bool Open_Text_File(Text_File& text, const char* file_name);
void Close_Text_File(Text_File& text);

// fgetc in text mode: a byte 0..255, or -1 at the end of the file.
int Read_Char(Text_File& text);
void Unread_Char(Text_File& text, int c);

// The scanf conversions, applied in order: after the first one that fails
// (end of file, or a value that is not a number) every later one does
// nothing, and its field keeps what it held.
struct Value_Scanner {
    Text_File& text;
    bool failed = false;

    // %s into a zero-terminated buffer. A longer token is cut at a character
    // boundary (never inside a double-byte character) and read to its end.
    void Token(std::span<char> buffer);

    // %d: optional sign and decimal digits, accumulated modulo 2^32.
    bool Int(int32_t& value);

    // %d stored in a field of 16 or 32 bits, keeping the low bits.
    template <typename Field>
    void Number(Field& field) {
        int32_t value = 0;
        if (Int(value)) field = static_cast<Field>(static_cast<uint32_t>(value));
    }
};

// True for a byte that starts a double-byte character in code page 932.
constexpr bool Is_Lead_Byte(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
