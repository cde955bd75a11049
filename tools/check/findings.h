// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// What the checker tells, one finding a line in the form compilers use:
// FILE:LINE:COLUMN: error|warning|note: message.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

struct Unicode_To_Cp932;  // unicode_cp932.h

enum class Severity { Error, Warning, Note };

// 1-based; the column counts bytes. A finding about a whole file (one that is
// missing) stands at line 1, column 1.
struct Position {
    long line = 1;
    long column = 1;
};

struct Finding {
    std::string file;  // the folder as the user named it, joined with the file's name
    Position at;
    Severity severity = Severity::Note;
    std::string message;  // safe code page 932 (see cp932_text.h)
    // Another place the message points at, shown after it as " (FILE:LINE:COLUMN)".
    // Kept apart because a path is in the user's own bytes, not code page 932.
    std::string also_file;  // empty: none
    Position also_at;
    // Its file is UTF-8: its lines are quoted as they would be in code page
    // 932, and its columns are theirs, which are screen columns.
    bool utf8 = false;
};

// A message from its template (printf's): one whole sentence, so that it
// can be translated as one.
std::string Format(const char* text, ...) __attribute__((format(printf, 1, 2)));

const char* Severity_Name(Severity severity);

// 0 when there is no error and no warning, 1 when there are warnings, 2 when
// there is an error: the game would not start.
int Exit_Status(const std::vector<Finding>& findings);

// The position of a byte offset in the bytes of a file (which must reach it).
Position Position_Of(std::string_view bytes, long offset);

// The size of an open file, and its first `count` bytes: what positions are
// counted in. Both move the file's position.
long File_Size(std::FILE* file);
std::string First_Bytes(std::FILE* file, long count);

// A number as written: its sign and how large it is, where the game keeps
// only the low 32 bits.
struct Written_Number {
    bool negative = false;
    uint64_t magnitude = 0;
    bool past_32_bits = false;
};

// A token of a file as messages quote it, found without holding the file,
// which may be of any size: where it starts, its first bytes and how long it
// is, up to white space, a Ctrl+Z or the end.
struct Token_Look {
    long offset = 0;
    Position at;
    std::string head;  // at most Token_Head_Bytes
    long length = 0;
    bool length_known = true;  // false: longer than `length`, where looking stopped
    Written_Number number;     // of its sign and digits
};

inline constexpr size_t Token_Head_Bytes = 64;

// The tokens at `offsets` of an open file, in one pass over its bytes up to
// `limit` and no further, in the order of their offsets. Moves the file's
// position.
std::vector<Token_Look> Look_At_Tokens(std::FILE* file, std::vector<long> offsets, long limit);

// The look at exactly `offset`; null when none was asked for there.
const Token_Look* Look_At(const std::vector<Token_Look>& looks, long offset);

// Where `offset` stands, when it is a looked-at token's start or lies in its
// head (a token holds no line feed). False when no look reaches it.
bool Position_In_Looks(const std::vector<Token_Look>& looks, long offset, Position& at);

// The line a finding stands on, cut round its column to show under it: the
// file's bytes (code page 932, not yet made safe) and, 0-based, the screen
// column the caret goes under. Code page 932 draws one column a byte, so the
// caret's column is the finding's byte column less what was cut before it.
// Empty when the file cannot be read, the line is empty, or it lies too far
// into the file to be looked for.
struct Excerpt {
    std::string text;
    long caret = 0;
};
// With `utf8`, the file's line is put into code page 932 first.
Excerpt Excerpt_Of(const std::string& path, Position at, const Unicode_To_Cp932* utf8 = nullptr);

// Where a byte position in a UTF-8 file stands once the file is in code page
// 932: the same line, at the screen column of its character.
Position Screen_Position(const std::string& path, Position at, const Unicode_To_Cp932& utf8);

// The findings on the files of one folder, in the order they are found.
struct Findings {
    std::string folder;  // empty: the working directory, as the game reads it
    std::vector<Finding> list;
    // How UTF-8 is put into code page 932; null: UTF-8 text is read as the
    // game reads it, and quoted so.
    const Unicode_To_Cp932* unicode = nullptr;
    // The files that look like UTF-8, in the order the game opens them: told
    // of once for the folder, at the first.
    struct Utf8_File {
        std::string name;
        Position at;
        bool bom = false;
        size_t list_at = 0;  // where its finding goes in `list`: before the file's others
    };
    std::vector<Utf8_File> utf8_files;

    std::string Path(std::string_view name) const;
    void Add(std::string_view name, Position at, Severity severity, std::string message);
};
