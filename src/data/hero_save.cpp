// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The hero save.
//
// Layout, each line ended by a carriage return and a line feed on every
// platform (the file is written in binary, the line ends by this code):
//   the name, an empty line,
//   hp attack defense stat4 stat5 stat6, one a line, an empty line,
//   rating exp level aux, an empty line,
//   group3[0..2], an empty line,
//   group4[0..4], an empty line,
//   group5[0..5], an empty line,
//   x, y.
// The file ends with a line end. hp is written signed, the 16-bit fields as
// 0 to 65535, rating and exp as signed 32-bit values (above 2147483647 with a
// minus sign), which the loader reads back to the same bits.
//
// A save must never lose the hero: the text goes to a new file beside the
// hero file, which is flushed to the disk and then put in the old one's place
// in one step. Any failure on the way removes the new file and leaves the old
// one as it was. The new file keeps the old one's permissions; a symbolic
// link is written through, but a hard link is split, as by any such save.

#include "data/hero_save.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "data/records.h"
#include "data/text_reader.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/files.h"

namespace {

constexpr std::string_view Line_End = "\r\n";

// The whole file: a 29-byte name and 26 numbers of at most 11 characters, each
// on its own line, plus the empty line after the name and after five groups.
constexpr size_t Save_Text_Size = 512;
static_assert(Save_Text_Size >= (29 + 2) + 2 + 26 * (11 + 2) + 5 * 2);

struct Save_Text {
    std::array<char, Save_Text_Size> bytes{};
    size_t length = 0;
};

void Append(Save_Text& text, std::string_view part) {
    // Cannot overflow: Save_Text_Size holds the longest record.
    std::memcpy(text.bytes.data() + text.length, part.data(), part.size());
    text.length += part.size();
}

void Append_Number(Save_Text& text, int64_t value) {
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    Append(text, std::string_view(digits.data(), static_cast<size_t>(result.ptr - digits.data())));
}

// Each value on a line of its own, then an empty line closing the group.
template <typename Number, size_t N>
void Append_Group(Save_Text& text, const std::array<Number, N>& values) {
    for (const Number value : values) {
        Append_Number(text, value);
        Append(text, Line_End);
    }
    Append(text, Line_End);
}

// rating and exp are written as the signed reading of their 32 bits.
int64_t Signed_32(uint32_t bits) { return static_cast<int32_t>(bits); }

void Compose(Save_Text& text, const Hero_Status_Info& record) {
    Append(text, record.name.data());
    Append(text, Line_End);
    Append(text, Line_End);
    Append_Group(text, std::to_array<int64_t>({record.hp, record.attack, record.defense, record.stat4,
                                               record.stat5, record.stat6}));
    Append_Group(text,
                 std::to_array<int64_t>({Signed_32(record.rating), Signed_32(record.exp), record.level, record.aux}));
    Append_Group(text, record.group3);
    Append_Group(text, record.group4);
    Append_Group(text, record.group5);
    for (const int64_t value : {record.x, record.y}) {
        Append_Number(text, value);
        Append(text, Line_End);
    }
}

// The loader takes the name as one token of at most 29 bytes and never cuts a
// double-byte character: a name it would read differently (or read as a
// number) must not be written, or the reload would scramble the whole hero.
bool Name_Reads_Back(const std::array<char, 30>& name) {
    const size_t limit = name.size() - 1;
    const void* end = std::memchr(name.data(), '\0', name.size());
    if (end == nullptr) return false;  // unterminated
    const auto length = static_cast<size_t>(static_cast<const char*>(end) - name.data());
    if (length == 0) return false;
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<uint8_t>(name[i]);
        if (Is_Space(byte) || byte == Ctrl_Z) return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (!platform::Is_Cp932_Lead(static_cast<uint8_t>(name[i]))) continue;
        if (i + 2 > limit) return false;  // the loader would drop this character
        ++i;
    }
    return true;
}

bool Write_Durably(std::FILE* file, const Save_Text& text) {
    return std::fwrite(text.bytes.data(), 1, text.length, file) == text.length && platform::Flush_File_To_Disk(file);
}

}  // namespace

int Save_Hero_Status() {
    if (!Name_Reads_Back(hero.name)) return 0;
    Save_Text text;
    Compose(text, hero);

    // Through a symbolic link to the file it names, as editors save: the link
    // stays a link and its file gets the new hero.
    std::array<char, platform::Path_Capacity> target{};
    if (!platform::Resolve_Links(Hero_File_Name, target)) return 0;
    std::array<char, platform::Path_Capacity> temporary{};
    std::FILE* file = platform::Create_Replacement_File(target.data(), temporary);
    if (file == nullptr) return 0;
    const bool written = Write_Durably(file, text);
    const bool closed = std::fclose(file) == 0;
    if (written && closed && platform::Replace_File(temporary.data(), target.data())) return 1;
    (void)std::remove(temporary.data());  // the save has failed either way
    return 0;
}
