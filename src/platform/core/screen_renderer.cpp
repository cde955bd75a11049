// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/screen_renderer.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/core/console.h"

namespace platform {

namespace {

using Row_Codes = std::array<Cell_Code, Screen_Model::Columns>;

// One presentation: the back end it draws with, and the characters written
// since the cursor was last placed, which go out together as one run.
struct Frame {
    Terminal_View& view;
    const Console_Backend& backend;
    Row_Codes run{};
    int run_length = 0;
};

void End_Run(Frame& frame) {
    if (frame.run_length == 0) return;
    frame.backend.write_cells(frame.run.data(), frame.run_length);
    frame.run_length = 0;
}

void Move_To(Frame& frame, int row, int column) {
    Terminal_View& view = frame.view;
    if (view.cursor_row == row && view.cursor_column == column) return;
    End_Run(frame);
    frame.backend.place_cursor(row, column, view.cursor_row, view.cursor_column);
    view.cursor_row = row;
    view.cursor_column = column;
}

void Write_Single(Frame& frame, int row, int column, Cell_Code code) {
    Terminal_View& view = frame.view;
    Move_To(frame, row, column);
    frame.run[static_cast<size_t>(frame.run_length++)] = code;
    view.shown[static_cast<size_t>(row)][static_cast<size_t>(column)] = code;
    // On the last column the terminal holds the cursor there until the next
    // character, which would wrap: place it afresh instead.
    view.cursor_column = column + 1 < view.width ? column + 1 : -1;
}

void Write_Double(Frame& frame, int row, int column, Cell_Code code) {
    Terminal_View& view = frame.view;
    Row_Codes& shown = view.shown[static_cast<size_t>(row)];
    if (shown[static_cast<size_t>(column) + 1] != Cell_Blank) Write_Single(frame, row, column + 1, Cell_Blank);
    Move_To(frame, row, column);
    End_Run(frame);
    frame.backend.write_cells(&code, 1);
    shown[static_cast<size_t>(column)] = code;
    shown[static_cast<size_t>(column) + 1] = Cell_Second_Half;
    view.cursor_column = -1;  // one or two columns on, as the terminal sees the character
}

// A row is compared and written left to right, and both columns of a
// double-byte character are settled together. So when a write on the terminal
// breaks a wide character it overlaps, the columns of that character still
// ahead differ from what is wanted and are written too; none behind is ever
// touched again.
void Render_Row(Frame& frame, int row, const Row_Codes& wanted) {
    const Row_Codes& shown = frame.view.shown[static_cast<size_t>(row)];
    const int limit = std::min(frame.view.width, Screen_Model::Columns);
    int column = 0;
    while (column < limit) {
        Cell_Code code = wanted[static_cast<size_t>(column)];
        if (Is_Double_Start(code) && column + 1 < limit) {
            if (shown[static_cast<size_t>(column)] != code ||
                shown[static_cast<size_t>(column) + 1] != Cell_Second_Half) {
                Write_Double(frame, row, column, code);
            }
            column += 2;
            continue;
        }
        // Half a character cannot be shown: the right edge cuts it to a blank.
        if (Is_Double_Start(code) || code == Cell_Second_Half) code = Cell_Blank;
        if (shown[static_cast<size_t>(column)] != code) Write_Single(frame, row, column, code);
        ++column;
    }
    End_Run(frame);
}

void Clear_Terminal(Frame& frame) {
    End_Run(frame);
    frame.backend.clear();
    for (auto& row : frame.view.shown) row.fill(Cell_Blank);
    frame.view.cursor_row = 0;
    frame.view.cursor_column = 0;
}

// One short line in place of the field, cut to the terminal's width.
void Show_Size_Notice(Frame& frame) {
    Terminal_View& view = frame.view;
    Clear_Terminal(frame);
    std::array<char, 64> text{};
    const int length = std::snprintf(text.data(), text.size(), "Too small: need %dx%d, have %dx%d", Needed_Columns,
                                     Needed_Rows, view.width, view.height);
    std::array<Cell_Code, 64> codes{};
    const int shown = std::clamp(std::min(length, view.width), 0, static_cast<int>(codes.size()));
    for (int i = 0; i < shown; ++i) codes[static_cast<size_t>(i)] = static_cast<uint8_t>(text[static_cast<size_t>(i)]);
    if (shown > 0) frame.backend.write_cells(codes.data(), shown);
    view.cursor_column = -1;
    for (auto& row : view.shown) row.fill(Cell_Unknown);
    view.notice_width = view.width;
    view.notice_height = view.height;
    view.repaint_pending = true;  // the field comes back whole once it fits
}

bool Field_Fits(const Terminal_View& view) { return view.width >= Needed_Columns && view.height >= Needed_Rows; }

}  // namespace

void View_Start(Terminal_View& view, int width, int height) {
    for (auto& row : view.shown) row.fill(Cell_Unknown);
    view.width = width;
    view.height = height;
    view.cursor_row = -1;
    view.cursor_column = -1;
    view.repaint_pending = true;
    view.notice_width = -1;
    view.notice_height = -1;
}

void View_Resize(Terminal_View& view, int width, int height) {
    if (width == view.width && height == view.height) return;
    view.width = width;
    view.height = height;
    View_Invalidate(view);
}

void View_Invalidate(Terminal_View& view) {
    view.repaint_pending = true;
    view.notice_width = -1;
    view.notice_height = -1;
    view.cursor_row = -1;
    view.cursor_column = -1;
}

void Present_Model(Screen_Model& model, Terminal_View& view, const Glyph_Table& glyphs,
                   const Console_Backend& backend) {
    Frame frame{view, backend};
    if (!Field_Fits(view)) {
        if (view.notice_width != view.width || view.notice_height != view.height) Show_Size_Notice(frame);
        return;
    }
    if (view.repaint_pending) {
        Clear_Terminal(frame);
        model.dirty_rows.fill(true);
        view.repaint_pending = false;
        view.notice_width = -1;
        view.notice_height = -1;
    }
    const int rows = std::min(view.height, Screen_Model::Rows);
    Row_Codes wanted{};
    for (int row = 0; row < rows; ++row) {
        if (!model.dirty_rows[static_cast<size_t>(row)]) continue;
        Layout_Row(model.cells[static_cast<size_t>(row)].data(), Screen_Model::Columns, glyphs, wanted.data());
        Render_Row(frame, row, wanted);
        model.dirty_rows[static_cast<size_t>(row)] = false;
    }
}

}  // namespace platform
