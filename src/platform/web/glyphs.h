// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Code page 932 as the page shows it: each character in UTF-8, converted by
// the browser's own Shift-JIS (Windows-31J) decoder, the one the page's
// terminal and every browser read such text with.

#include "platform/core/cp932_glyphs.h"

namespace web_page {

void Fill_Page_Glyphs(platform::Glyph_Table& table);

}  // namespace web_page
