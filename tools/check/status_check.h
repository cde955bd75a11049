// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The twelve status files, each read into its record by the loaders' own
// reader with a watched scanner, and what that reading shows.

#include "data/records.h"
#include "findings.h"

#include <string>
#include <string_view>

// Each reads its file into the record exactly as the game would and adds what
// it finds. False, with nothing added, when the file cannot be opened: what
// that means depends on the start-up order, which the caller knows.
// `start_at` is where the hero's start column is written (or, when it was
// never read, where the reading stopped).
bool Check_Hero_File(Findings& findings, Hero_Status_Info& hero, Position& start_at);
bool Check_Monster_File(Findings& findings, const char* name, Monster_Status_Info& monster);
bool Check_Skill_File(Findings& findings, const char* name, Skill_Info& skill);

// Where the text looks like UTF-8 (valid, with a character of three bytes or
// more, as Japanese text in UTF-8 has), the offset of that first character;
// else npos. Code page 932 text is almost never valid UTF-8.
size_t Utf8_Text_At(std::string_view bytes);

// What an editor puts before text it saves as UTF-8.
inline constexpr std::string_view Utf8_Bom = "\xEF\xBB\xBF";

// A file's encoding as its first bytes show it: a byte-order mark, and where
// the UTF-8 text after it starts (npos when it does not look like UTF-8).
struct Text_Encoding {
    bool bom = false;
    size_t utf8_at = std::string_view::npos;
};
Text_Encoding Encoding_Of(std::string_view bytes);
