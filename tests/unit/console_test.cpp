// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The console every back end shares, on a back end that records what it is
// asked to draw: plain text before the first placement, the take-over at it,
// one frame sent per flush, and the way out.

#include "platform/core/console.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing.h"

namespace {

using platform::Console;

TEST(Console, Plain_Text_Until_The_First_Placement_Then_One_Frame_Per_Flush) {
    const struct {
        const char* what;
        std::function<void(Console&)> run;
        std::vector<std::string> recorded;
    } cases[] = {
        {"the notice: plain lines, a lead byte held for its trail",
         [](Console& c) {
             platform::Console_Write_Line(c, "A\x81");
             platform::Console_Write_Byte(c, 0x81);
             platform::Console_Write_Byte(c, 0x9C);
             platform::Console_Flush(c);
             platform::Console_Finish(c);
         },
         {"write 41", "write 0", "new line", "write 819c", "send", "send", "leave"}},
        {"the field: taken over at the first placement, drawn at the flush",
         [](Console& c) {
             platform::Console_Place_Cursor(c, 2, 1);
             platform::Console_Write_Byte(c, 'A');
             platform::Console_Flush(c);
             platform::Console_Flush(c);
             platform::Console_Finish(c);
         },
         {"send", "enter", "clear", "place 1,2", "write 41", "send", "send", "leave"}},
        {"nothing before the way out",
         [](Console& c) { platform::Console_Finish(c); },
         {}},
    };
    for (const auto& c : cases) {
        auto console = std::make_unique<Console>(Console{drawing::Recorder()});
        drawing::Recorded().clear();
        c.run(*console);
        EXPECT_EQ(drawing::Recorded(), c.recorded) << c.what;
    }
}

}  // namespace
