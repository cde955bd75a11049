// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The scripted console: the shared console on a back end whose keys and clock
// are the test's and whose drawing operations are recorded into a screen.

#include "platform/scripted/scripted.h"

#include <algorithm>
#include <array>
#include <deque>
#include <stdexcept>
#include <string>

#include "platform/core/console.h"

namespace {

using namespace platform;

struct Timed_Key {
    int64_t at_ms;
    int code;
};

using Drawn_Row = std::array<Cell_Code, Screen_Model::Columns>;

// What the drawing operations drew, one code per column as the renderer
// writes them, and where the next write goes.
struct Drawn_Screen {
    std::array<Drawn_Row, Screen_Model::Rows> cells;
    int row = 0;
    int column = 0;
    int operations = 0;  // placements, writes, new lines and clears
};

struct Script {
    Drawn_Screen drawn;
    std::deque<Timed_Key> keys;
    int64_t now_ms = 0;
    int64_t start_seconds = 0;
    int64_t stop_at_ms = -1;
    int pauses = 0;
    int clock_reads_since_pause = 0;
    int clock_reads = 0;
    int quiet_pauses = 0;   // the console's count at the last pause
    int key_taken_at = -1;  // the pause count when a key was last taken
};

Script script;

// Reading the clock over and over without pausing would hang a test on the
// virtual clock; fail loudly instead.
constexpr int Busy_Clock_Reads = 100'000;


// ---- The glyphs -------------------------------------------------------------------

// Every character of code page 932 as its own bytes, as a Shift-JIS terminal
// shows it, so the screen drawn tells every character apart.
int Same_Bytes(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    if (in_length > out_capacity) return -1;
    std::copy(in, in + in_length, out);
    return in_length;
}

void Start(Glyph_Table& glyphs) {
    static Glyph_Table table;
    static bool filled = false;
    if (!filled) Fill_Glyph_Table(table, Same_Bytes, Terminal_Charset::Shift_Jis);
    filled = true;
    glyphs = table;
}

// ---- The recorder -----------------------------------------------------------------

void Fill_Drawn(Cell_Code code) {
    for (Drawn_Row& row : script.drawn.cells) row.fill(code);
}

// Writing over either column of a double-byte character blanks its other
// column, as a terminal does.
void Break_Double_At(Drawn_Row& row, int column) {
    const auto at = static_cast<size_t>(column);
    if (row[at] == Cell_Second_Half && column > 0) row[at - 1] = Cell_Blank;
    if (Is_Double_Start(row[at]) && column + 1 < Screen_Model::Columns) row[at + 1] = Cell_Blank;
}

void Draw_Code(Cell_Code code) {
    Drawn_Screen& drawn = script.drawn;
    const int width = Is_Double_Start(code) ? 2 : 1;
    if (Model_Contains(drawn.column, drawn.row) && Model_Contains(drawn.column + width - 1, drawn.row)) {
        Drawn_Row& row = drawn.cells[static_cast<size_t>(drawn.row)];
        for (int k = 0; k < width; ++k) Break_Double_At(row, drawn.column + k);
        row[static_cast<size_t>(drawn.column)] = code;
        if (width == 2) row[static_cast<size_t>(drawn.column) + 1] = Cell_Second_Half;
    }
    drawn.column += width;
}

void Place(int row, int column, int, int) {
    ++script.drawn.operations;
    script.drawn.row = row;
    script.drawn.column = column;
}

void Write_Cells(const Cell_Code* codes, int count) {
    ++script.drawn.operations;
    for (int i = 0; i < count; ++i) Draw_Code(codes[i]);
}

void New_Line() {
    ++script.drawn.operations;
    ++script.drawn.row;
    script.drawn.column = 0;
}

void Clear() {
    ++script.drawn.operations;
    Fill_Drawn(Cell_Blank);
    script.drawn.row = 0;
    script.drawn.column = 0;
}

// The game's own screen shows nothing known until it is drawn; leaving it,
// the last screen stays, as the end of a test looks at it.
void Enter() { Fill_Drawn(Cell_Unknown); }
void Leave() {}

// Each frame on the full screen must leave the screen showing the model.
void Check_Frame() {
    const Console& console = Platform_Console();
    Drawn_Row wanted{};
    for (int row = 0; row < Screen_Model::Rows; ++row) {
        Layout_Row(console.model.cells[static_cast<size_t>(row)].data(), Screen_Model::Columns, console.glyphs,
                   wanted.data());
        if (wanted != script.drawn.cells[static_cast<size_t>(row)]) {
            throw std::logic_error("row " + std::to_string(row) + " as drawn differs from the console's model");
        }
    }
}

void Send() {
    if (Platform_Console().full_screen) Check_Frame();
}

// ---- Keys and time ----------------------------------------------------------------

bool Key_Ready() { return !script.keys.empty() && script.keys.front().at_ms <= script.now_ms; }

int Next_Key() {
    if (!Key_Ready()) throw std::logic_error("Take_Key with no key waiting");
    const int code = script.keys.front().code;
    script.keys.pop_front();
    script.key_taken_at = script.pauses;
    return code;
}

// A back end may stop waking a game that has been quiet that long, until a
// key comes (console.h): a game that then acts on its own would stall there.
void Check_Quiet() {
    const Console& console = Platform_Console();
    const bool acted = console.quiet_pauses <= script.quiet_pauses;
    if (acted && script.quiet_pauses >= Quiet_Pauses_Before_Idle && script.key_taken_at != script.pauses) {
        throw std::logic_error("the game acted with no key after " + std::to_string(script.quiet_pauses) +
                               " quiet pauses: a back end waiting for input would never let it");
    }
    script.quiet_pauses = console.quiet_pauses;
}

void Pause(int milliseconds) {
    if (script.stop_at_ms >= 0 && script.now_ms + milliseconds > script.stop_at_ms) {
        throw scripted::Run_Stopped{};
    }
    Check_Quiet();
    ++script.pauses;
    script.clock_reads_since_pause = 0;
    script.now_ms += milliseconds;
}

int64_t Virtual_Clock_Seconds() {
    ++script.clock_reads;
    if (++script.clock_reads_since_pause > Busy_Clock_Reads) {
        throw std::logic_error("the clock is read in a loop without pausing");
    }
    return script.start_seconds + script.now_ms / 1000;
}

Screen_Size Size() { return {Screen_Model::Columns, Screen_Model::Rows}; }
void No_Screen_Events(Terminal_View&, bool) {}
void End_Run(int status) { throw scripted::Process_Exit{status}; }

constexpr Console_Backend Scripted_Backend = {
    .start = Start,
    .place_cursor = Place, .write_cells = Write_Cells, .new_line = New_Line, .clear = Clear,
    .enter_full_screen = Enter, .leave_full_screen = Leave, .send = Send,
    .screen_size = Size, .serve_screen_events = No_Screen_Events,
    .key_waiting = Key_Ready, .take_key = Next_Key,
    .pause = Pause, .clock_seconds = Virtual_Clock_Seconds, .end_program = End_Run,
};

Console console{Scripted_Backend};

}  // namespace

namespace platform {

Console& Platform_Console() { return console; }

}  // namespace platform

namespace scripted {

void Reset(int64_t start_seconds) {
    console.started = false;
    console.full_screen = false;
    console.quiet_pauses = 0;
    console.plain = {};
    Model_Clear(console.model);
    Fill_Drawn(Cell_Blank);
    script.drawn.row = 0;
    script.drawn.column = 0;
    script.drawn.operations = 0;
    script.keys.clear();
    script.now_ms = 0;
    script.start_seconds = start_seconds;
    script.stop_at_ms = -1;
    script.pauses = 0;
    script.clock_reads_since_pause = 0;
    script.clock_reads = 0;
    script.quiet_pauses = 0;
    script.key_taken_at = -1;
}

void Queue_Keys(int64_t at_ms, std::initializer_list<int> codes) {
    for (int code : codes) script.keys.push_back({at_ms, code});
    std::stable_sort(script.keys.begin(), script.keys.end(),
                     [](const Timed_Key& a, const Timed_Key& b) { return a.at_ms < b.at_ms; });
}

void Stop_At(int64_t at_ms) { script.stop_at_ms = at_ms; }
int64_t Now_Ms() { return script.now_ms; }
int Pause_Count() { return script.pauses; }
int Clock_Reads() { return script.clock_reads; }

int Keys_Waiting() {
    return static_cast<int>(std::count_if(script.keys.begin(), script.keys.end(), [](const Timed_Key& k) {
        return k.at_ms <= script.now_ms;
    }));
}

const platform::Screen_Model& Screen() {
    Console_Flush(console);
    return console.model;
}

std::string Row(int y) {
    const auto& row = Screen().cells.at(static_cast<size_t>(y));
    std::string text(row.begin(), row.end());
    text.erase(text.find_last_not_of(static_cast<char>(platform::Screen_Model::Blank)) + 1);
    return text;
}

std::string Cells(int x, int y) {
    const auto& row = Screen().cells.at(static_cast<size_t>(y));
    return {static_cast<char>(row.at(static_cast<size_t>(x))), static_cast<char>(row.at(static_cast<size_t>(x) + 1))};
}

int Output_Calls() {
    Console_Flush(console);
    return script.drawn.operations;
}

}  // namespace scripted
