// The Windows side of the screen: what win32_screen.h describes.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <string_view>

#include "platform/core/screen_renderer.h"
#include "platform/win32_screen.h"

namespace win32_screen {

namespace {

constexpr UINT Shift_Jis_Code_Page = 932;

// The bytes a terminal reading the stream gets, as the POSIX build sends them.
constexpr std::string_view Enter_Stream_Screen = "\x1b[?1049h\x1b[?25l\x1b[H\x1b[2J";
constexpr std::string_view Leave_Stream_Screen = "\x1b[?25h\x1b[?1049l";

// Older consoles refuse a WriteConsoleW much above 64 KiB.
constexpr int Write_Chunk = 8 * 1024;

// Assumed for a stream, where nothing reports a size.
constexpr Screen_Size Stream_Size = {80, 24};

struct Screen_State {
    HANDLE output = INVALID_HANDLE_VALUE;  // standard output as the process got it
    bool console = false;
    // Where the field is drawn: our own screen buffer, or the shell's one when
    // no other could be made, with the field at the window's top-left.
    HANDLE target = INVALID_HANDLE_VALUE;
    COORD origin{0, 0};
    bool own_buffer = false;
    bool taken_over = false;
    std::atomic<bool> given_back = false;  // set from the control handler's thread
    // Where the next text goes on the target; -1 until the first placement:
    // plain text goes wherever the console cursor stands.
    int row = -1;
    int column = -1;
};

Screen_State screen;

// Taking over and giving back run on different threads (the control handler
// has one of its own); one at a time, and never a take-over after the give-back.
SRWLOCK take_over_lock = SRWLOCK_INIT;

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

// ---- Carrying the renderer's bytes out on a console -------------------------

std::array<wchar_t, platform::Output_Bytes::Capacity> wide_text;

void Write_Console_Text(const uint8_t* bytes, size_t length) {
    const int count = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(length),
                                          wide_text.data(), static_cast<int>(wide_text.size()));
    if (count <= 0) return;
    HANDLE handle = screen.output;
    if (screen.row >= 0) {
        handle = screen.target;
        const COORD at = {static_cast<SHORT>(screen.origin.X + screen.column),
                          static_cast<SHORT>(screen.origin.Y + screen.row)};
        SetConsoleCursorPosition(handle, at);
        // Only single-column text is followed by a relative move; after a
        // double-byte character the renderer always places the cursor anew.
        screen.column += count;
    }
    for (int done = 0; done < count; done += Write_Chunk) {
        DWORD written = 0;
        WriteConsoleW(handle, wide_text.data() + done, static_cast<DWORD>(std::min(Write_Chunk, count - done)),
                      &written, nullptr);
    }
}

void Clear_Target() {
    const Screen_Size size = Query_Size();
    DWORD written = 0;
    if (screen.own_buffer) {
        // The whole buffer is ours: one fill, row after row.
        FillConsoleOutputCharacterW(screen.target, L' ', static_cast<DWORD>(size.columns * size.rows), {0, 0},
                                    &written);
        return;
    }
    for (int row = 0; row < size.rows; ++row) {
        const COORD from = {screen.origin.X, static_cast<SHORT>(screen.origin.Y + row)};
        FillConsoleOutputCharacterW(screen.target, L' ', static_cast<DWORD>(size.columns), from, &written);
    }
}

struct Sequence {
    std::array<int, 2> parameters{};
    int count = 0;  // parameters given
    char final = 0;
};

int Parameter(const Sequence& sequence, int index, int fallback) {
    return index < sequence.count && sequence.parameters[static_cast<size_t>(index)] > 0
               ? sequence.parameters[static_cast<size_t>(index)]
               : fallback;
}

// Reads "ESC [ ... final" from bytes[at]; returns where the text after it starts.
size_t Read_Sequence(const uint8_t* bytes, size_t length, size_t at, Sequence& sequence) {
    size_t next = at + 1;
    if (next < length && bytes[next] == '[') ++next;
    bool in_number = false;
    for (; next < length; ++next) {
        const uint8_t byte = bytes[next];
        if (byte >= '0' && byte <= '9') {
            if (!in_number && sequence.count < static_cast<int>(sequence.parameters.size())) ++sequence.count;
            in_number = true;
            if (sequence.count > 0) {
                int& value = sequence.parameters[static_cast<size_t>(sequence.count) - 1];
                value = std::min(value * 10 + (byte - '0'), 9999);
            }
        } else if (byte == ';') {
            if (!in_number && sequence.count < static_cast<int>(sequence.parameters.size())) ++sequence.count;
            in_number = false;
        } else if (byte >= 0x40 && byte <= 0x7E) {
            sequence.final = static_cast<char>(byte);
            return next + 1;
        }
        // '?' and the like: private sequences, which the console has no use for.
    }
    return next;
}

// The renderer's cursor movements, its clear, and nothing else.
void Apply_Sequence(const Sequence& sequence) {
    switch (sequence.final) {
        case 'H':
            screen.row = Parameter(sequence, 0, 1) - 1;
            screen.column = Parameter(sequence, 1, 1) - 1;
            break;
        case 'G':
            screen.column = Parameter(sequence, 0, 1) - 1;
            break;
        case 'C':
            screen.column += Parameter(sequence, 0, 1);
            break;
        case 'D':
            screen.column = std::max(0, screen.column - Parameter(sequence, 0, 1));
            break;
        case 'J':
            if (screen.taken_over && Parameter(sequence, 0, 0) == 2) Clear_Target();
            break;
        default:
            break;
    }
}

void Carry_Out_On_Console(const uint8_t* bytes, size_t length) {
    size_t at = 0;
    while (at < length) {
        if (bytes[at] == 0x1B) {
            Sequence sequence;
            at = Read_Sequence(bytes, length, at, sequence);
            Apply_Sequence(sequence);
            continue;
        }
        const auto* escape = static_cast<const uint8_t*>(std::memchr(bytes + at, 0x1B, length - at));
        const size_t end = escape == nullptr ? length : static_cast<size_t>(escape - bytes);
        Write_Console_Text(bytes + at, end - at);
        at = end;
    }
}

// ---- Taking the console over ------------------------------------------------

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

void Screen_Init() {
    screen.output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    screen.console = screen.output != nullptr && screen.output != INVALID_HANDLE_VALUE &&
                     GetConsoleMode(screen.output, &mode) != 0;
}

bool Output_Is_Console() { return screen.console; }

int Cp932_To_Utf8(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    std::array<wchar_t, 4> wide{};
    const int count = MultiByteToWideChar(Shift_Jis_Code_Page, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(in),
                                          in_length, wide.data(), static_cast<int>(wide.size()));
    if (count <= 0) return -1;
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, reinterpret_cast<char*>(out),
                                           out_capacity, nullptr, nullptr);
    return length > 0 ? length : -1;
}

void Screen_Take_Over() {
    AcquireSRWLockExclusive(&take_over_lock);
    if (!screen.taken_over && !screen.given_back) {
        if (screen.console) {
            Take_Over_Console();
        } else {
            Write_Stream(Enter_Stream_Screen);
        }
        screen.taken_over = true;
    }
    ReleaseSRWLockExclusive(&take_over_lock);
}

Screen_Size Query_Size() {
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
        Write_Stream(Leave_Stream_Screen);
    }
    ReleaseSRWLockExclusive(&take_over_lock);
}

void Drain(platform::Output_Bytes& out) {
    if (screen.taken_over && screen.given_back) {
        // Ending: whatever the game thread still draws stays off the shell's screen.
        out.length = 0;
        return;
    }
    if (screen.console) {
        Carry_Out_On_Console(out.data.data(), out.length);
    } else if (screen.output != nullptr && screen.output != INVALID_HANDLE_VALUE) {
        Write_Stream({reinterpret_cast<const char*>(out.data.data()), out.length});
    }
    out.length = 0;
}

}  // namespace win32_screen
