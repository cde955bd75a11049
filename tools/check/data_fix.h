// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// console-rpg-check --fix: mends what has one meaning only. A file in UTF-8
// (with or without a byte-order mark) goes into code page 932 without the
// mark; in the map, each full-width space, a wall to the game, becomes two
// half-width spaces, open ground, and a line one byte short of 53 (as 26
// full-width characters are) gets a space before its line end. Line ends
// stay as they were, CR LF or LF.
//
// Nothing is lost: when any file holds a character code page 932 has no
// form for, or is not UTF-8 throughout though it looks so, no file is
// written at all. Otherwise the originals of the files it changes are first
// kept in a new folder beside them (before-fix, or before-fix-2 and on when
// that is taken), each written whole and flushed to the disk; then each file
// is replaced in one step, as the hero save replaces the hero file. What it
// has mended it leaves as the game wants it, so a second run changes nothing.

#include <string>

#include "findings.h"
#include "unicode_cp932.h"

struct Fix_Result {
    // What was (or, in a dry run, would be) changed, file by file, as notes;
    // what stops the fix, as errors.
    Findings told;
    bool failed = false;       // nothing was written
    long files_changed = 0;    // or that would be
    std::string originals_in;  // the folder the originals were kept in; empty: none
};

// `folder` as Check_Data takes it (empty: the working directory). With
// `write` false, a dry run: tells the same and writes nothing.
Fix_Result Fix_Data(const std::string& folder, const Unicode_To_Cp932& unicode, bool write);
