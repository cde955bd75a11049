// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The report: findings, then the rules sheet, then (on request) the field as
// the game draws it; as text for people or as one JSON document for tools.
// Names and glyphs come out in the character set of `output`, paths in the
// user's own bytes made safe for a terminal of that set; JSON wants `output`
// in UTF-8, and its paths are made UTF-8.
//
// JSON's "message" is in English, what tools may match whatever the user's
// language; "localized_message" is the same in the user's language (the
// English again where there is no translation): `translated` holds those,
// one a finding, or nothing when the language is English.

#include <string>
#include <vector>

#include "data_check.h"
#include "data_fix.h"
#include "platform/core/cp932_glyphs.h"

std::string Text_Report(const Check_Result& result, const platform::Glyph_Table& output, bool with_map);
std::string Json_Report(const Check_Result& result, const std::vector<std::string>& translated,
                        const platform::Glyph_Table& output, bool with_map);
inline std::string Json_Report(const Check_Result& result, const platform::Glyph_Table& output, bool with_map) {
    return Json_Report(result, {}, output, with_map);
}

// What --fix changed (or, in a dry run, would change), file by file, and
// where the originals are kept.
std::string Fix_Report(const Fix_Result& fix, const platform::Glyph_Table& output, bool dry_run);
