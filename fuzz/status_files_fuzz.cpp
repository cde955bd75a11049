// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Any bytes as a status file: the hero, monster and skill loaders and the
// token scanner under them.
//
// Properties checked on every input:
//  - nothing is written past a record (AddressSanitizer guards the global
//    records; each record read is the last of its array, so one byte past it is
//    a red zone) nor past a token buffer (the scanner is also run on heap
//    buffers of exactly 1 to 4 bytes);
//  - every field holds what a plain reading of the bytes gives: the tokens are
//    zero-terminated within their buffer, cut at a character boundary and
//    consumed whole, the numbers are their low bits, and every field after
//    the first value that does not parse keeps what it held;
//  - the monster's position is never read from the file;
//  - the file is closed after loading;
//  - a reading watched by an observer (the data checker's) reads what the
//    loader reads, and tells of every field once, in order, each token lying
//    inside the file after the one before.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/status_files.h"
#include "data/text_reader.h"
#include "fuzz_support.h"
#include "platform/core/cp932_glyphs.h"

namespace {

std::string input_path;  // the hero file in the private directory
constexpr uint8_t Untouched = 0xA5;  // what every byte of a record held before the load

bool Is_Space(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The reading the loaders must agree with, written as plainly as possible.
// Dropping a carriage return before a line feed changes no value (both are
// white space), so only the Ctrl+Z end of file matters here.
struct Plain_Reading {
    const uint8_t* bytes;
    size_t size;
    size_t at = 0;
    bool failed = false;

    void Skip_Spaces() {
        while (at < size && Is_Space(bytes[at])) ++at;
    }

    // What a token buffer of `capacity` bytes holds afterwards; none when the
    // reading had already failed or fails here.
    std::optional<std::string> Token(size_t capacity) {
        if (failed || capacity == 0) return std::nullopt;
        Skip_Spaces();
        if (at == size) {
            failed = true;
            return std::nullopt;
        }
        const size_t start = at;
        while (at < size && !Is_Space(bytes[at])) ++at;
        std::string kept;
        size_t i = start;
        while (i < at) {
            const size_t width = platform::Is_Cp932_Lead(bytes[i]) ? 2 : 1;
            if (kept.size() + width > capacity - 1) break;
            kept += static_cast<char>(bytes[i]);
            if (width == 2 && i + 1 < at) kept += static_cast<char>(bytes[i + 1]);
            i += width;
        }
        return kept;
    }

    std::optional<uint32_t> Number() {
        if (failed) return std::nullopt;
        Skip_Spaces();
        const bool negative = at < size && bytes[at] == '-';
        if (at < size && (bytes[at] == '-' || bytes[at] == '+')) ++at;
        if (at == size || bytes[at] < '0' || bytes[at] > '9') {
            failed = true;
            return std::nullopt;
        }
        uint32_t magnitude = 0;
        while (at < size && bytes[at] >= '0' && bytes[at] <= '9') {
            magnitude = magnitude * 10u + static_cast<uint32_t>(bytes[at] - '0');
            ++at;
        }
        return negative ? 0u - magnitude : magnitude;
    }
};

Plain_Reading Reading_Of(const uint8_t* data, size_t size) {
    const void* end = std::memchr(data, Ctrl_Z, size);
    return {data, end == nullptr ? size : static_cast<size_t>(static_cast<const uint8_t*>(end) - data)};
}

void Check_Buffer(const char* buffer, size_t capacity, const std::optional<std::string>& expected) {
    if (!expected) {
        for (size_t i = 0; i < capacity; ++i) {
            fuzz::Check(static_cast<uint8_t>(buffer[i]) == Untouched, "a token not read leaves its buffer as it was");
        }
        return;
    }
    const size_t length = expected->size();
    fuzz::Check(length < capacity, "a token leaves room for its zero");
    fuzz::Check(std::memcmp(buffer, expected->data(), length) == 0, "a token holds the start of the word");
    fuzz::Check(buffer[length] == '\0', "a token is zero-terminated right after its text");
    for (size_t i = length + 1; i < capacity; ++i) {
        fuzz::Check(static_cast<uint8_t>(buffer[i]) == Untouched, "nothing is written after a token's zero");
    }
}

template <size_t N>
void Check_Token(Plain_Reading& reading, const std::array<char, N>& field) {
    Check_Buffer(field.data(), N, reading.Token(N));
}

template <typename Field>
void Check_Number(Plain_Reading& reading, const Field& field) {
    const std::optional<uint32_t> value = reading.Number();
    Field expected;
    std::memset(&expected, Untouched, sizeof expected);
    if (value) expected = static_cast<Field>(*value);
    fuzz::Check(field == expected, "a number field holds the low bits of its value, or what it held");
}

template <typename Field, size_t N>
void Check_Numbers(Plain_Reading& reading, const std::array<Field, N>& fields) {
    for (const Field& field : fields) Check_Number(reading, field);
}

template <typename Record>
void Mark_Untouched(Record& record) {
    std::memset(static_cast<void*>(&record), Untouched, sizeof record);
}

void Check_Hero(const uint8_t* data, size_t size) {
    Mark_Untouched(hero);
    const int descriptors = fuzz::Lowest_Free_Descriptor();
    int loaded = 0;
    fuzz::Inside_Work_Dir([&loaded] { loaded = Load_Hero_Status(); });
    fuzz::Check(loaded == 1, "an existing hero file loads");
    fuzz::Check(fuzz::Lowest_Free_Descriptor() == descriptors, "the hero file is closed after loading");
    Plain_Reading r = Reading_Of(data, size);
    Check_Token(r, hero.name);
    Check_Number(r, hero.hp);
    for (const auto* field : {&hero.attack, &hero.defense, &hero.stat4, &hero.stat5, &hero.stat6}) {
        Check_Number(r, *field);
    }
    Check_Number(r, hero.rating);
    Check_Number(r, hero.exp);
    Check_Number(r, hero.level);
    Check_Number(r, hero.aux);
    Check_Numbers(r, hero.group3);
    Check_Numbers(r, hero.group4);
    Check_Numbers(r, hero.group5);
    Check_Number(r, hero.x);
    Check_Number(r, hero.y);
}

void Check_Monster(const uint8_t* data, size_t size) {
    Monster_Status_Info& record = monsters[King];
    Mark_Untouched(record);
    const int descriptors = fuzz::Lowest_Free_Descriptor();
    fuzz::Check(Load_Monster_Status(record, input_path.c_str()) == 1, "an existing monster file loads");
    fuzz::Check(fuzz::Lowest_Free_Descriptor() == descriptors, "the monster file is closed after loading");
    Plain_Reading r = Reading_Of(data, size);
    Check_Token(r, record.name);
    Check_Number(r, record.lead_value);
    Check_Token(r, record.glyph);
    Check_Number(r, record.pre_value);
    Check_Number(r, record.hp);
    for (const auto* field : {&record.attack, &record.defense, &record.stat4, &record.stat5, &record.stat6,
                              &record.post_value}) {
        Check_Number(r, *field);
    }
    uint16_t untouched = 0;
    std::memset(&untouched, Untouched, sizeof untouched);
    fuzz::Check(record.x == untouched && record.y == untouched, "a monster's position is not read from its file");
}

void Check_Skill(const uint8_t* data, size_t size) {
    Skill_Info& record = skills[AbsoluteObedience];
    Mark_Untouched(record);
    const int descriptors = fuzz::Lowest_Free_Descriptor();
    fuzz::Check(Load_Skill(record, input_path.c_str()) == 1, "an existing skill file loads");
    fuzz::Check(fuzz::Lowest_Free_Descriptor() == descriptors, "the skill file is closed after loading");
    Plain_Reading r = Reading_Of(data, size);
    Check_Token(r, record.name);
    Check_Number(r, record.lead_value);
    Check_Number(r, record.power);
    Check_Number(r, record.penetration);
}

// The scanner straight from memory, with token buffers far smaller than any
// record has: 1 byte (room for the zero only) to 4. Each buffer is a heap
// block of exactly that size, so one byte too many is caught.
void Check_Small_Buffers(const uint8_t* data, size_t size) {
    if (size == 0) return;  // fmemopen may refuse an empty buffer
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    fuzz::Check(file != nullptr, "fmemopen opens the input");
    Text_File text;
    text.file = file;
    Value_Scanner scan{text};
    Plain_Reading r = Reading_Of(data, size);
    constexpr int Most_Reads = 64;
    for (int i = 0; i < Most_Reads && !scan.failed; ++i) {
        if (i % 5 == 4) {
            int32_t value = 0;
            const bool read = scan.Int(value);
            const std::optional<uint32_t> expected = r.Number();
            fuzz::Check(read == expected.has_value(), "Int succeeds exactly when a number is there");
            if (read) fuzz::Check(static_cast<uint32_t>(value) == *expected, "Int reads the number modulo 2^32");
            continue;
        }
        const size_t capacity = static_cast<size_t>(i % 5) + 1;
        const std::unique_ptr<char[]> buffer(new char[capacity]);
        std::memset(buffer.get(), Untouched, capacity);
        scan.Token({buffer.get(), capacity});
        Check_Buffer(buffer.get(), capacity, r.Token(capacity));
    }
    fuzz::Check(scan.failed == r.failed, "the scanner fails where the plain reading fails");
    Close_Text_File(text);
}

void Keep_Note(void* notes, const Value_Note& note) { static_cast<std::vector<Value_Note>*>(notes)->push_back(note); }

// Run after Check_Hero, whose load `hero` still holds.
void Check_Watched(size_t size) {
    Hero_Status_Info watched;
    Mark_Untouched(watched);
    std::vector<Value_Note> notes;
    Text_File text;
    fuzz::Check(Open_Text_File(text, input_path.c_str()), "the watched reading opens the file");
    Value_Observer observer{&notes, Keep_Note, {}};
    Value_Scanner scan{text, false, &observer};
    Read_Hero_Status(scan, watched);
    Close_Text_File(text);
    fuzz::Check(std::memcmp(&watched, &hero, sizeof watched) == 0, "a watched reading reads what the loader reads");
    fuzz::Check(notes.size() == 27, "one note a field");
    long after = 0;
    bool stopped = false;
    for (const Value_Note& note : notes) {
        const bool read = note.outcome == Value_Note::Outcome::Read;
        fuzz::Check(stopped == (note.outcome == Value_Note::Outcome::Skipped), "every field after a failure is skipped");
        if (read) {
            fuzz::Check(after <= note.start && note.start < note.end && note.end <= static_cast<long>(size),
                        "a token read lies inside the file, after the one before");
            after = note.end;
        } else if (!stopped) {
            fuzz::Check(after <= note.start && note.start <= static_cast<long>(size), "a failure lies inside the file");
        }
        stopped = stopped || !read;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Make_Private_Work_Dir();
    input_path = fuzz::In_Work_Dir(Hero_File_Name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One file serves all three loaders: only the hero's name is fixed.
    fuzz::Write_Input_File(input_path, data, size);
    Check_Hero(data, size);
    Check_Watched(size);
    Check_Monster(data, size);
    Check_Skill(data, size);
    Check_Small_Buffers(data, size);
    return 0;
}
