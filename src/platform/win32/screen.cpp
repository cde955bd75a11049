// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The Windows side of the screen: what screen.h describes.

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <string_view>

#include "platform/core/ansi_screen.h"
#include "platform/core/screen_renderer.h"
#include "platform/win32/screen.h"

namespace win32_screen {

namespace {

using platform::Cell_Code;

constexpr UINT Shift_Jis_Code_Page = 932;

// Assumed for a stream, where nothing reports a size.
constexpr platform::Screen_Size Stream_Size = {80, 24};

struct Screen_State {
    HANDLE output = INVALID_HANDLE_VALUE;  // standard output as the process got it
    bool console = false;
    const platform::Glyph_Table* glyphs = nullptr;
    // Where the field is drawn: our own screen buffer, or the shell's one when
    // no other could be made, with the field at the window's top-left.
    HANDLE target = INVALID_HANDLE_VALUE;
    COORD origin{0, 0};
    bool own_buffer = false;
    bool taken_over = false;
    std::atomic<bool> given_back = false;  // set from the control handler's thread
};

Screen_State screen;

// Taking over and giving back run on different threads (the control handler
// has one of its own); one at a time, and never a take-over after the give-back.
SRWLOCK take_over_lock = SRWLOCK_INIT;

// Ending: whatever the game thread still draws stays off the shell's screen.
bool Drawing_Dropped() { return screen.taken_over && screen.given_back; }

void Write_Stream(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(screen.output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written == 0) {
            return;  // a pipe whose reader has gone: the output is dropped
        }
        bytes.remove_prefix(written);
    }
}

void Write_To_Stream(const uint8_t* bytes, size_t length) {
    if (!Drawing_Dropped()) Write_Stream({reinterpret_cast<const char*>(bytes), length});
}

// The characters of a run, as the console takes them: UTF-16. The game never
// writes more than a row at a time.
constexpr size_t Most_Run_Bytes = size_t{4} * platform::Screen_Model::Columns;

void Write_Wide(HANDLE handle, const char* utf8, int length) {
    std::array<wchar_t, Most_Run_Bytes> wide{};
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8, length, wide.data(), static_cast<int>(wide.size()));
    DWORD written = 0;
    if (count > 0) WriteConsoleW(handle, wide.data(), static_cast<DWORD>(count), &written, nullptr);
}

// ---- Taking over ------------------------------------------------------------------

HANDLE Make_Game_Buffer() {
    HANDLE buffer = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
    if (buffer == INVALID_HANDLE_VALUE) return buffer;
    // A write on the last column must not wrap, nor one in the bottom-right
    // corner scroll the field away. These modes belong to this buffer alone.
    SetConsoleMode(buffer, ENABLE_PROCESSED_OUTPUT);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(buffer, &info) &&
        (info.dwSize.X < platform::Needed_Columns || info.dwSize.Y < platform::Needed_Rows)) {
        // Larger than the window, the buffer scrolls; the field stays whole.
        const COORD size = {std::max<SHORT>(info.dwSize.X, platform::Needed_Columns),
                            std::max<SHORT>(info.dwSize.Y, platform::Needed_Rows)};
        SetConsoleScreenBufferSize(buffer, size);
    }
    CONSOLE_CURSOR_INFO cursor{};
    if (GetConsoleCursorInfo(buffer, &cursor)) {
        cursor.bVisible = FALSE;
        SetConsoleCursorInfo(buffer, &cursor);
    }
    return buffer;
}

void Take_Over_Console() {
    HANDLE buffer = Make_Game_Buffer();
    if (buffer != INVALID_HANDLE_VALUE && SetConsoleActiveScreenBuffer(buffer)) {
        screen.target = buffer;
        screen.own_buffer = true;
        screen.origin = {0, 0};
        return;
    }
    if (buffer != INVALID_HANDLE_VALUE) CloseHandle(buffer);
    screen.target = screen.output;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(screen.output, &info)) screen.origin = {info.srWindow.Left, info.srWindow.Top};
}

}  // namespace

// ---- Drawing: on a file or pipe the escape-byte writer's, on a console its own calls.

void Screen_Place_Cursor(int row, int column, int from_row, int from_column) {
    if (!screen.console) return platform::Ansi_Place_Cursor(row, column, from_row, from_column);
    if (Drawing_Dropped()) return;
    const COORD at = {static_cast<SHORT>(screen.origin.X + column), static_cast<SHORT>(screen.origin.Y + row)};
    SetConsoleCursorPosition(screen.target, at);
}

void Screen_Write_Cells(const Cell_Code* codes, int count) {
    if (!screen.console) return platform::Ansi_Write_Cells(codes, count);
    if (Drawing_Dropped()) return;
    // Before the take-over, plain text goes wherever the console cursor stands.
    HANDLE handle = screen.taken_over ? screen.target : screen.output;
    std::array<char, Most_Run_Bytes> utf8{};
    size_t length = 0;
    for (int i = 0; i < count; ++i) {
        const std::string_view glyph = platform::Glyph_Of(*screen.glyphs, codes[i]);
        if (length + glyph.size() > utf8.size()) {
            Write_Wide(handle, utf8.data(), static_cast<int>(length));
            length = 0;
        }
        std::copy(glyph.begin(), glyph.end(), utf8.begin() + static_cast<std::ptrdiff_t>(length));
        length += glyph.size();
    }
    if (length > 0) Write_Wide(handle, utf8.data(), static_cast<int>(length));
}

void Screen_New_Line() {
    if (!screen.console) return platform::Ansi_New_Line();
    DWORD written = 0;
    if (!Drawing_Dropped()) WriteConsoleW(screen.output, L"\r\n", 2, &written, nullptr);
}

void Screen_Clear() {
    if (!screen.console) return platform::Ansi_Clear();
    if (Drawing_Dropped()) return;
    const platform::Screen_Size size = Query_Size();
    DWORD written = 0;
    if (screen.own_buffer) {
        // The whole buffer is ours: one fill, row after row.
        const DWORD cells = static_cast<DWORD>(size.columns) * static_cast<DWORD>(size.rows);
        FillConsoleOutputCharacterW(screen.target, L' ', cells, {0, 0}, &written);
        return;
    }
    for (int row = 0; row < size.rows; ++row) {
        const COORD from = {screen.origin.X, static_cast<SHORT>(screen.origin.Y + row)};
        FillConsoleOutputCharacterW(screen.target, L' ', static_cast<DWORD>(size.columns), from, &written);
    }
}

void Screen_Take_Over() {
    AcquireSRWLockExclusive(&take_over_lock);
    if (!screen.taken_over && !screen.given_back) {
        if (screen.console) {
            Take_Over_Console();
        } else {
            Write_Stream(platform::Ansi_Enter_Full_Screen);
        }
        screen.taken_over = true;
    }
    ReleaseSRWLockExclusive(&take_over_lock);
}

// Each write on a console goes out as it is made; there is no frame to send.
void Screen_Send() {
    if (!screen.console) platform::Ansi_Send();
}

void Screen_Init(const platform::Glyph_Table& glyphs) {
    screen.output = GetStdHandle(STD_OUTPUT_HANDLE);
    screen.glyphs = &glyphs;
    DWORD mode = 0;
    screen.console = screen.output != nullptr && screen.output != INVALID_HANDLE_VALUE &&
                     GetConsoleMode(screen.output, &mode) != 0;
    // What puts writes through a text-mode stream.
    if (!screen.console) platform::Ansi_Start(glyphs, "\r\n", Write_To_Stream);
}

int Cp932_To_Utf8(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    std::array<wchar_t, 4> wide{};
    const int count = MultiByteToWideChar(Shift_Jis_Code_Page, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(in),
                                          in_length, wide.data(), static_cast<int>(wide.size()));
    if (count <= 0) return -1;
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, reinterpret_cast<char*>(out),
                                           out_capacity, nullptr, nullptr);
    return length > 0 ? length : -1;
}

platform::Screen_Size Query_Size() {
    if (!screen.console) return Stream_Size;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    HANDLE handle = screen.target != INVALID_HANDLE_VALUE ? screen.target : screen.output;
    if (!GetConsoleScreenBufferInfo(handle, &info)) return Stream_Size;
    if (screen.own_buffer) return {info.dwSize.X, info.dwSize.Y};
    return {info.srWindow.Right - info.srWindow.Left + 1, info.srWindow.Bottom - info.srWindow.Top + 1};
}

void Screen_Restore() {
    AcquireSRWLockExclusive(&take_over_lock);
    const bool give_back = screen.taken_over && !screen.given_back;
    screen.given_back = true;
    if (give_back && screen.console) {
        // The game thread may still draw on its own buffer; nobody sees it now.
        if (screen.own_buffer) SetConsoleActiveScreenBuffer(screen.output);
    } else if (give_back) {
        Write_Stream(platform::Ansi_Leave_Full_Screen);
    }
    ReleaseSRWLockExclusive(&take_over_lock);
}

}  // namespace win32_screen
