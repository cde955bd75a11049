#include "platform/core/screen_renderer.h"

#include <algorithm>
#include <string_view>

namespace platform {

namespace {

using Row_Codes = std::array<Cell_Code, Screen_Model::Columns>;

int Digit_Count(int value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// Length of "ESC [ n X", where n = 1 is left out.
int Sequence_Length(int parameter) { return parameter == 1 ? 3 : 3 + Digit_Count(parameter); }

void Move_To(Terminal_View& view, Output_Bytes& out, int row, int column) {
    if (view.cursor_row == row && view.cursor_column == column) return;
    if (view.cursor_row != row) {
        Append_Cursor_To(out, row, column);
    } else if (view.cursor_column < 0) {
        Append_Column_To(out, column);
    } else {
        const int distance = column - view.cursor_column;
        const int relative = distance > 0 ? distance : -distance;
        if (Sequence_Length(relative) >= Sequence_Length(column + 1)) {
            Append_Column_To(out, column);
        } else if (distance > 0) {
            Append_Cursor_Right(out, relative);
        } else {
            Append_Cursor_Left(out, relative);
        }
    }
    view.cursor_row = row;
    view.cursor_column = column;
}

void Write_Single(Terminal_View& view, Output_Bytes& out, const Glyph_Table& glyphs, int row, int column,
                  Cell_Code code) {
    Row_Codes& shown = view.shown[static_cast<size_t>(row)];
    Move_To(view, out, row, column);
    Append(out, Glyph_Of(glyphs, code));
    shown[static_cast<size_t>(column)] = code;
    // On the last column the terminal holds the cursor there until the next
    // character, which would wrap: place it afresh instead.
    view.cursor_column = column + 1 < view.width ? column + 1 : -1;
}

void Write_Double(Terminal_View& view, Output_Bytes& out, const Glyph_Table& glyphs, int row, int column,
                  Cell_Code code) {
    Row_Codes& shown = view.shown[static_cast<size_t>(row)];
    if (shown[static_cast<size_t>(column) + 1] != Cell_Blank) {
        Write_Single(view, out, glyphs, row, column + 1, Cell_Blank);
    }
    Move_To(view, out, row, column);
    Append(out, Glyph_Of(glyphs, code));
    shown[static_cast<size_t>(column)] = code;
    shown[static_cast<size_t>(column) + 1] = Cell_Second_Half;
    view.cursor_column = -1;  // one or two columns on, as the terminal sees the character
}

// A row is compared and written left to right, and both columns of a
// double-byte character are settled together. So when a write on the terminal
// breaks a wide character it overlaps, the columns of that character still
// ahead differ from what is wanted and are written too; none behind is ever
// touched again.
void Render_Row(Terminal_View& view, Output_Bytes& out, const Glyph_Table& glyphs, int row, const Row_Codes& wanted) {
    const Row_Codes& shown = view.shown[static_cast<size_t>(row)];
    const int limit = std::min(view.width, Screen_Model::Columns);
    int column = 0;
    while (column < limit) {
        Cell_Code code = wanted[static_cast<size_t>(column)];
        if (Is_Double_Start(code) && column + 1 < limit) {
            if (shown[static_cast<size_t>(column)] != code ||
                shown[static_cast<size_t>(column) + 1] != Cell_Second_Half) {
                Write_Double(view, out, glyphs, row, column, code);
            }
            column += 2;
            continue;
        }
        // Half a character cannot be shown: the right edge cuts it to a blank.
        if (Is_Double_Start(code) || code == Cell_Second_Half) code = Cell_Blank;
        if (shown[static_cast<size_t>(column)] != code) Write_Single(view, out, glyphs, row, column, code);
        ++column;
    }
}

void Make_Room(Output_Bytes& out, size_t needed, Drain_Function drain) {
    if (Room_Left(out) < needed && drain != nullptr) drain(out);
}

void Clear_Terminal(Terminal_View& view, Output_Bytes& out) {
    Append(out, Clear_Screen);
    for (auto& row : view.shown) row.fill(Cell_Blank);
    view.cursor_row = 0;
    view.cursor_column = 0;
}

// One short line in place of the field, cut to the terminal's width.
void Show_Size_Notice(Terminal_View& view, Output_Bytes& out, Drain_Function drain) {
    Make_Room(out, 256, drain);
    Clear_Terminal(view, out);
    const size_t start = out.length;
    Append(out, "Too small: need ");
    Append_Number(out, Needed_Columns);
    Append(out, "x");
    Append_Number(out, Needed_Rows);
    Append(out, ", have ");
    Append_Number(out, view.width);
    Append(out, "x");
    Append_Number(out, view.height);
    const auto fits = static_cast<size_t>(std::max(view.width, 0));
    if (out.length - start > fits) out.length = start + fits;
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

void Present_Model(Screen_Model& model, Terminal_View& view, const Glyph_Table& glyphs, Output_Bytes& out,
                   Drain_Function drain) {
    if (!Field_Fits(view)) {
        if (view.notice_width != view.width || view.notice_height != view.height) Show_Size_Notice(view, out, drain);
        return;
    }
    if (view.repaint_pending) {
        Make_Room(out, Clear_Screen.size(), drain);
        Clear_Terminal(view, out);
        model.dirty_rows.fill(true);
        view.repaint_pending = false;
        view.notice_width = -1;
        view.notice_height = -1;
    }
    const int rows = std::min(view.height, Screen_Model::Rows);
    Row_Codes wanted{};
    for (int row = 0; row < rows; ++row) {
        if (!model.dirty_rows[static_cast<size_t>(row)]) continue;
        Make_Room(out, Max_Row_Bytes, drain);
        Layout_Row(model.cells[static_cast<size_t>(row)].data(), Screen_Model::Columns, glyphs, wanted.data());
        Render_Row(view, out, glyphs, row, wanted);
        model.dirty_rows[static_cast<size_t>(row)] = false;
    }
}

}  // namespace platform
