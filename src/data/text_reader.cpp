// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "data/text_reader.h"

#include <utility>

#include "platform/core/cp932_glyphs.h"
#include "platform/files.h"

namespace {

constexpr int End_Of_File = -1;
constexpr int No_Held_Char = -2;

using Outcome = Value_Note::Outcome;

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
    text.ended_at_ctrl_z = false;
    text.held = No_Held_Char;
    return text.file != nullptr;
}

void Close_Text_File(Text_File& text) {
    if (text.file != nullptr) (void)std::fclose(text.file);  // read only: closing loses nothing
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
        if (next != EOF) (void)std::ungetc(next, text.file);  // one byte back after a read always fits
    }
    if (c == Ctrl_Z || c == EOF) {
        text.ended = true;
        if (c == Ctrl_Z) text.ended_at_ctrl_z = true;
        return End_Of_File;
    }
    return c;
}

void Unread_Char(Text_File& text, int c) {
    if (c != End_Of_File) text.held = c;
}

namespace {

// The conversions for an observer: the white space before the token is
// skipped ahead to find where it starts, the plain conversion (the observer
// set aside) then takes the token as it always does, and what is left tells
// where it ended.
int Peek_Token(Text_File& text) {
    const int c = Skip_Spaces(text);
    Unread_Char(text, c);
    return c;
}

bool Watched_Token(Value_Scanner& scan, std::span<char> buffer) {
    Value_Observer* observer = std::exchange(scan.observer, nullptr);
    Value_Note& note = observer->note;
    bool cut = false;
    if (!scan.failed && !buffer.empty()) {
        Peek_Token(scan.text);
        note.start = Offset_Of_Next_Char(scan.text);
        cut = scan.Token(buffer);
        note.cut = cut;
        note.end = Offset_Of_Next_Char(scan.text);
        note.outcome = scan.failed ? Outcome::Ended : Outcome::Read;
    }
    scan.observer = observer;
    scan.Tell(buffer.data(), true);
    return cut;
}

bool Watched_Int(Value_Scanner& scan, int32_t& value) {
    if (scan.failed) return false;
    Value_Observer* observer = std::exchange(scan.observer, nullptr);
    Value_Note& note = observer->note;
    const int first = Peek_Token(scan.text);
    note.start = Offset_Of_Next_Char(scan.text);
    const bool read = scan.Int(value);
    scan.observer = observer;
    note.end = Offset_Of_Next_Char(scan.text);
    note.outcome = read ? Outcome::Read : first == End_Of_File ? Outcome::Ended : Outcome::Not_A_Number;
    if (read) note.number = value;
    return read;
}

}  // namespace

long Offset_Of_Next_Char(const Text_File& text) {
    if (text.file == nullptr) return -1;
    const long position = std::ftell(text.file);
    if (position < 0) return -1;
    // A held character, like the Ctrl+Z that ended the file, was the last byte
    // taken from the stream; a carriage return's look-ahead was pushed back.
    return text.held != No_Held_Char || text.ended_at_ctrl_z ? position - 1 : position;
}

bool Value_Scanner::Token(std::span<char> buffer) {
    if (observer != nullptr) return Watched_Token(*this, buffer);
    if (failed || buffer.empty()) return false;
    int c = Skip_Spaces(text);
    if (c == End_Of_File) {
        failed = true;
        return false;
    }
    const size_t limit = buffer.size() - 1;  // room for the terminating zero
    size_t length = 0;
    bool cut = false;
    while (c != End_Of_File && !Is_Space(c)) {
        if (!cut) {
            // A double-byte character goes in whole or not at all.
            const size_t width = platform::Is_Cp932_Lead(static_cast<uint8_t>(c)) ? 2 : 1;
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
    return cut;
}

bool Value_Scanner::Int(int32_t& value) {
    if (observer != nullptr) return Watched_Int(*this, value);
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

void Value_Scanner::Tell(const void* field, bool text_field) {
    Value_Note& note = observer->note;
    note.field = field;
    note.text = text_field;
    if (observer->told != nullptr) observer->told(observer->context, note);
    note = {};
}
