// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Text output for the programs beside the game on Windows. The glyphs are
// UTF-8, as the game's console back end converts code page 932; a console is
// given the characters themselves (WriteConsoleW), so they show right whatever
// its code page, and a file or pipe gets the UTF-8 bytes.

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "platform/core/cp932_glyphs.h"
#include "platform/platform.h"
#include "platform/win32/screen.h"

namespace platform {

void Load_Output_Glyphs(Glyph_Table& table) { Fill_Glyph_Table(table, win32_screen::Cp932_To_Utf8); }

void Load_Utf8_Glyphs(Glyph_Table& table) { Load_Output_Glyphs(table); }

namespace {

bool Write_To(DWORD which, std::FILE* stream, std::string_view text) {
    HANDLE output = GetStdHandle(which);
    DWORD mode = 0;
    if (!GetConsoleMode(output, &mode)) return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(size), L'\0');  // never more UTF-16 units than UTF-8 bytes
    const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), size);
    for (int done = 0; done < count;) {
        DWORD written = 0;
        // Older consoles refuse much more than 64 KiB at once.
        const DWORD chunk = static_cast<DWORD>(std::min(count - done, 8 * 1024));
        if (!WriteConsoleW(output, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += static_cast<int>(written);
    }
    return count > 0;
}

}  // namespace

bool Write_Output(std::string_view text) { return Write_To(STD_OUTPUT_HANDLE, stdout, text); }

bool Write_Error(std::string_view text) {
    (void)std::fflush(stdout);  // what was said before comes first
    return Write_To(STD_ERROR_HANDLE, stderr, text);
}

// The language Windows speaks to this user, as "ja_JP".
std::string User_Interface_Language() {
    std::array<wchar_t, LOCALE_NAME_MAX_LENGTH> name{};
    const LCID language = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (LCIDToLocaleName(language, name.data(), static_cast<int>(name.size()), 0) <= 0) return {};
    std::string shown;
    for (const wchar_t* c = name.data(); *c != L'\0'; ++c) {
        shown += *c == L'-' ? '_' : static_cast<char>(*c & 0x7F);
    }
    return shown;
}

}  // namespace platform
