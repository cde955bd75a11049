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

bool Write_Error(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stderr) == text.size();
}

// Emscripten sets LANG from the browser's first language, and the page may
// set it as it likes before it starts the checker.
std::string User_Interface_Language() { return {}; }

}  // namespace platform
