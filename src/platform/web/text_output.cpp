// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Text output for the data checker in the page: its report in UTF-8 on
// standard output, which the page collects and shows beside the game.

#include <cstdio>

#include "platform/platform.h"
#include "platform/web/glyphs.h"

namespace platform {

void Load_Output_Glyphs(Glyph_Table& table) { web_page::Fill_Page_Glyphs(table); }

void Load_Utf8_Glyphs(Glyph_Table& table) { web_page::Fill_Page_Glyphs(table); }

bool Write_Output(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

}  // namespace platform
