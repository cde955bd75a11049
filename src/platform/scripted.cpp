#include "platform/scripted.h"

#include <algorithm>
#include <deque>
#include <stdexcept>

#include "platform/platform.h"

namespace {

struct Timed_Key {
    int64_t at_ms;
    int code;
};

struct Script {
    platform::Screen_Model screen;
    std::deque<Timed_Key> keys;
    int64_t now_ms = 0;
    int64_t start_seconds = 0;
    int64_t stop_at_ms = -1;
    int pauses = 0;
    int clock_reads_since_pause = 0;
    int clock_reads = 0;
    int output_calls = 0;
};

Script script;

// Reading the clock over and over without pausing would hang a test on the
// virtual clock; fail loudly instead.
constexpr int Busy_Clock_Reads = 100'000;

}  // namespace

namespace scripted {

void Reset(int64_t start_seconds) {
    platform::Model_Clear(script.screen);
    script.keys.clear();
    script.now_ms = 0;
    script.start_seconds = start_seconds;
    script.stop_at_ms = -1;
    script.pauses = 0;
    script.clock_reads_since_pause = 0;
    script.clock_reads = 0;
    script.output_calls = 0;
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
int Output_Calls() { return script.output_calls; }

int Keys_Waiting() {
    return static_cast<int>(std::count_if(script.keys.begin(), script.keys.end(), [](const Timed_Key& k) {
        return k.at_ms <= script.now_ms;
    }));
}

const platform::Screen_Model& Screen() { return script.screen; }

std::string Row(int y) {
    const auto& row = script.screen.cells.at(static_cast<size_t>(y));
    std::string text(row.begin(), row.end());
    text.erase(text.find_last_not_of(static_cast<char>(platform::Screen_Model::Blank)) + 1);
    return text;
}

std::string Cells(int x, int y) {
    const auto& row = script.screen.cells.at(static_cast<size_t>(y));
    return {static_cast<char>(row.at(static_cast<size_t>(x))), static_cast<char>(row.at(static_cast<size_t>(x) + 1))};
}

}  // namespace scripted

namespace platform {

Output_Handle Get_Output_Handle() { return {1}; }

void Set_Cursor_Position(Output_Handle, Cursor_Coord where) {
    ++script.output_calls;
    Model_Place(script.screen, where.X, where.Y);
}

void Write_Line(std::string_view text) {
    ++script.output_calls;
    Model_Put_Line(script.screen, text);
}

void Write_Byte(uint8_t byte) {
    ++script.output_calls;
    Model_Put(script.screen, byte);
}

bool Key_Waiting() { return !script.keys.empty() && script.keys.front().at_ms <= script.now_ms; }

int Take_Key() {
    if (!Key_Waiting()) throw std::logic_error("Take_Key with no key waiting");
    const int code = script.keys.front().code;
    script.keys.pop_front();
    return code;
}

void Pause_Ms(int milliseconds) {
    if (script.stop_at_ms >= 0 && script.now_ms + milliseconds > script.stop_at_ms) {
        throw scripted::Run_Stopped{};
    }
    ++script.pauses;
    script.clock_reads_since_pause = 0;
    script.now_ms += milliseconds;
}

int64_t Clock_Seconds() {
    ++script.clock_reads;
    if (++script.clock_reads_since_pause > Busy_Clock_Reads) {
        throw std::logic_error("the clock is read in a loop without pausing");
    }
    return script.start_seconds + script.now_ms / 1000;
}

void Fatal_Exit() { throw scripted::Process_Exit{-1}; }

}  // namespace platform
