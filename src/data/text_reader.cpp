#include "data/text_reader.h"

#include "platform/platform.h"

namespace {

constexpr int End_Of_File = -1;
constexpr int No_Held_Char = -2;
constexpr int Ctrl_Z = 0x1A;

// What the C library's isspace accepts in the "C" locale.
bool Is_Space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int Skip_Spaces(Text_File& text) {
    int c = Read_Char(text);
    while (Is_Space(c)) c = Read_Char(text);
    return c;
}

}  // namespace

bool Open_Text_File(Text_File& text, const char* file_name) {
    // Binary: the text-mode rules are applied by Read_Char, the same everywhere.
    text.file = platform::Open_Data_File(file_name);
    text.ended = false;
    text.held = No_Held_Char;
    return text.file != nullptr;
}

void Close_Text_File(Text_File& text) {
    if (text.file != nullptr) std::fclose(text.file);
    text.file = nullptr;
}

int Read_Char(Text_File& text) {
    if (text.held != No_Held_Char) {
        const int c = text.held;
        text.held = No_Held_Char;
        return c;
    }
    if (text.ended || text.file == nullptr) return End_Of_File;
    int c = std::fgetc(text.file);
    if (c == '\r') {
        const int next = std::fgetc(text.file);
        if (next == '\n') return '\n';
        if (next != EOF) std::ungetc(next, text.file);
    }
    if (c == Ctrl_Z || c == EOF) {
        text.ended = true;
        return End_Of_File;
    }
    return c;
}

void Unread_Char(Text_File& text, int c) {
    if (c != End_Of_File) text.held = c;
}

void Value_Scanner::Token(std::span<char> buffer) {
    if (failed || buffer.empty()) return;
    int c = Skip_Spaces(text);
    if (c == End_Of_File) {
        failed = true;
        return;
    }
    const size_t limit = buffer.size() - 1;  // room for the terminating zero
    size_t length = 0;
    bool cut = false;
    while (c != End_Of_File && !Is_Space(c)) {
        if (!cut) {
            // A double-byte character goes in whole or not at all.
            const size_t width = Is_Lead_Byte(static_cast<uint8_t>(c)) ? 2 : 1;
            if (length + width > limit) {
                cut = true;
            } else {
                buffer[length++] = static_cast<char>(c);
                if (width == 2) {
                    const int trail = Read_Char(text);
                    if (trail == End_Of_File || Is_Space(trail)) {
                        c = trail;
                        continue;
                    }
                    buffer[length++] = static_cast<char>(trail);
                }
            }
        }
        c = Read_Char(text);
    }
    Unread_Char(text, c);
    buffer[length] = '\0';
}

bool Value_Scanner::Int(int32_t& value) {
    if (failed) return false;
    int c = Skip_Spaces(text);
    const bool negative = c == '-';
    if (c == '-' || c == '+') c = Read_Char(text);
    if (c < '0' || c > '9') {
        Unread_Char(text, c);
        failed = true;
        return false;
    }
    uint32_t magnitude = 0;
    while (c >= '0' && c <= '9') {
        magnitude = magnitude * 10u + static_cast<uint32_t>(c - '0');
        c = Read_Char(text);
    }
    Unread_Char(text, c);
    value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
    return true;
}
