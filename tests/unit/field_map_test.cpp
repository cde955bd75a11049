// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "field/field_map.h"
#include "platform/platform.h"
#include "platform/scripted/scripted.h"
#include "work_dir.h"

namespace {

// A map of 19 lines, each of 53 bytes and a line feed: exactly the grid.
std::string Full_Map(char fill = '#', const std::string& line_end = "\n") {
    std::string map;
    for (int row = 0; row < Field_Rows; ++row) map += std::string(Field_Columns - 1, fill) + line_end;
    return map;
}

int Open_Descriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

class Field_Map_Test : public Work_Dir_Test {
protected:
    void SetUp() override {
        Work_Dir_Test::SetUp();
        scripted::Reset();
        Field_Map = {};
    }
};

TEST_F(Field_Map_Test, FullMapFillsTheGridWithALineFeedColumn) {
    for (const std::string line_end : {"\n", "\r\n"}) {
        Write_File("test.txt", Full_Map('#', line_end));
        Load_Field_Map("test.txt");
        for (int row = 0; row < Field_Rows; ++row) {
            EXPECT_EQ(Field_Map[row][0], '#');
            EXPECT_EQ(Field_Map[row][52], '#');
            EXPECT_EQ(Field_Map[row][53], '\n') << "row " << row;
        }
    }
}

TEST_F(Field_Map_Test, CellValuesFollowTheBytes) {
    std::string map = Full_Map('.');
    map[1] = ' ';            // open
    map[2] = '\0';           // open as well
    map[3] = '\x81';         // a full-width space: two blocking cells
    map[4] = '\x40';
    map[5] = '\xFF';         // high bytes are read unsigned
    map[6] = '\r';           // a carriage return not before a line feed stays
    map[7] = '\t';           // a tab is no space: it blocks, as every other byte
    map[8] = '\v';
    map[9] = '\x1f';
    map[10] = '!';           // the neighbours of the space
    map[11] = '\xA0';
    Write_File("test.txt", map);
    Load_Field_Map("test.txt");
    const auto& row = Field_Map[0];
    EXPECT_EQ(row[0], '.');
    EXPECT_EQ(row[1], 0);
    EXPECT_EQ(row[2], 0);
    EXPECT_EQ(row[3], 0x81);
    EXPECT_EQ(row[4], 0x40);
    EXPECT_EQ(row[5], 0xFF);
    EXPECT_EQ(row[6], '\r');
    EXPECT_EQ(row[7], '\t');
    EXPECT_EQ(row[8], '\v');
    EXPECT_EQ(row[9], 0x1F);
    EXPECT_EQ(row[10], '!');
    EXPECT_EQ(row[11], 0xA0);
}

TEST_F(Field_Map_Test, ShortFilesLeaveTheRestBlocking) {
    struct Case {
        std::string bytes;
        int first_past_end;  // index of the first cell after the file's end
    };
    const std::string ten_lines = Full_Map(' ').substr(0, 10 * Field_Columns);
    const Case cases[] = {
        {"", 0},
        {ten_lines, 10 * Field_Columns},
        {"   \x1A    ", 3},  // Ctrl+Z ends the file
        {"ab\r\ncd", 5},      // CR LF is one cell
    };
    for (const Case& c : cases) {
        Write_File("test.txt", c.bytes);
        Load_Field_Map("test.txt");
        for (int cell = 0; cell < Field_Rows * Field_Columns; ++cell) {
            const int32_t value = Field_Map[cell / Field_Columns][cell % Field_Columns];
            if (cell >= c.first_past_end) {
                ASSERT_EQ(value, Past_End_Cell) << "cell " << cell;
            } else {
                ASSERT_NE(value, Past_End_Cell) << "cell " << cell;
            }
        }
    }
    EXPECT_EQ(Field_Map[0][2], '\n');
}

TEST_F(Field_Map_Test, ALongerFileIsReadOnlyAsFarAsTheGrid) {
    Write_File("test.txt", Full_Map('#') + std::string(5000, 'z'));
    Load_Field_Map("test.txt");
    EXPECT_EQ(Field_Map[18][53], '\n');
}

TEST_F(Field_Map_Test, TheMapFileIsClosedAfterLoading) {
    Write_File("test.txt", Full_Map());
    const int before = Open_Descriptors();
    Load_Field_Map("test.txt");
    EXPECT_EQ(Open_Descriptors(), before);
}

TEST_F(Field_Map_Test, MissingMapEndsAtOnceWithNothingWritten) {
    for (bool directory : {false, true}) {
        if (directory) std::filesystem::create_directory("test.txt");
        try {
            Load_Field_Map("test.txt");
            FAIL() << "a missing map must end the process";
        } catch (const scripted::Process_Exit& exit) {
            EXPECT_EQ(exit.status, -1);
        }
        EXPECT_EQ(scripted::Output_Calls(), 0);
    }
}

TEST_F(Field_Map_Test, DrawingWritesBlockingCellsAndLeavesOpenOnesAlone) {
    std::string map = Full_Map(' ');
    map.replace(0, 4, "\x81\x94#a");  // ＃ as lead and trail cells, then two single bytes
    map[Field_Columns + 5] = '\x1B';     // control bytes are cells like any other
    Write_File("test.txt", map.substr(0, 17 * Field_Columns + 3));
    Load_Field_Map("test.txt");

    // What the screen showed before stays where the field is open.
    platform::Set_Cursor_Position({}, {10, 2});
    platform::Write_Byte('Q');
    Draw_Field_Map();

    EXPECT_EQ(scripted::Row(0), "\x81\x94#a");
    EXPECT_EQ(scripted::Row(1), std::string(5, ' ') + "\x1B");
    EXPECT_EQ(scripted::Row(2), std::string(10, ' ') + "Q");
    // After the end of the file every cell is drawn as the byte 0xFF.
    EXPECT_EQ(scripted::Row(17), std::string(3, ' ') + std::string(Field_Columns - 3, '\xFF'));
    EXPECT_EQ(scripted::Row(18), std::string(Field_Columns, '\xFF'));
}

}  // namespace
