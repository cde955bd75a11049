#pragma once
// The terminal's encoding, read from the locale once at start-up, and the
// conversion of every code page 932 character into it.

#include "platform/core/cp932_glyphs.h"
#include "platform/core/key_decoder.h"

namespace posix_terminal {

// Fills the table through iconv: into UTF-8, or into the locale's own code set
// when that is a Shift-JIS one. Returns how the terminal's keyboard input is
// encoded.
platform::Input_Encoding Load_Glyphs(platform::Glyph_Table& table);

}  // namespace posix_terminal
