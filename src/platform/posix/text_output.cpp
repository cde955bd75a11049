// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Text output for the programs beside the game on POSIX systems: the glyphs
// are the game's own, converted into the locale's character set.

#include <cstdio>

#include "platform/core/cp932_glyphs.h"
#include "platform/platform.h"
#include "platform/posix/glyph_conversion.h"

namespace platform {

void Load_Output_Glyphs(Glyph_Table& table) { posix_terminal::Load_Glyphs(table); }

void Load_Utf8_Glyphs(Glyph_Table& table) { posix_terminal::Load_Glyphs_For("UTF-8", table); }

bool Write_Output(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

bool Write_Error(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stderr) == text.size();
}

std::string User_Interface_Language() { return {}; }

}  // namespace platform
