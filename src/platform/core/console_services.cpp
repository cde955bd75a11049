// The console services that every real back end serves alike, through the
// shared console it keeps (Platform_Console). Built into each back end's
// library, not into the core's, since the scripted console for the tests
// serves these services its own way.

#include <cstdlib>
#include <ctime>

#include "platform/core/console.h"
#include "platform/platform.h"

namespace platform {

Output_Handle Get_Output_Handle() {
    Console_Start(Platform_Console());
    return {1};
}

void Set_Cursor_Position(Output_Handle, Cursor_Coord where) {
    Console_Place_Cursor(Platform_Console(), where.X, where.Y);
}

void Write_Line(std::string_view text) { Console_Write_Line(Platform_Console(), text); }

void Write_Byte(uint8_t byte) { Console_Write_Byte(Platform_Console(), byte); }

int64_t Clock_Seconds() { return static_cast<int64_t>(std::time(nullptr)); }

void Fatal_Exit() {
    Console& console = Platform_Console();
    Console_Start(console);
    Console_Finish(console);
    std::exit(-1);
}

}  // namespace platform
