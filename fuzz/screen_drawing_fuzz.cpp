// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Any bytes written into the screen model, at any place, then drawn on the
// terminal by the renderer; and any bytes as plain text before the game takes
// the terminal over.
//
// The input is a little program: the first byte picks the glyph table (the
// real conversion into UTF-8, Shift-JIS through iconv, ASCII only, or a
// converter that answers with arbitrary bytes, control bytes included), the
// next two the terminal's size, and the rest are operations: place the
// cursor, write bytes, write a line, present, resize, lose the screen.
//
// Properties checked on all the terminal receives:
//  - no byte below 0x20 nor 0x7F, except an ESC that starts one of the
//    renderer's own sequences (cursor placement, column, left, right, and the
//    screen clear), so never a line feed or carriage return; in UTF-8 no C1
//    control and no broken character;
//  - on two of the tests' virtual terminals (tests/support), one where every
//    double-byte character takes two columns and one where it takes one (the
//    "ambiguous width" setting either way), the cursor is only ever placed
//    inside the terminal, no character is written where the cursor position is
//    not known or where it would wrap, and after each presentation the
//    terminal shows exactly what the model holds: each byte pair that is a
//    character in its two columns, every other byte as its own character or a
//    placeholder.
// And for the plain text: no control byte but the line end, no ESC at all.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "drawing.h"
#include "fuzz_support.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_model.h"
#include "platform/core/screen_renderer.h"
#include "platform/posix/glyph_conversion.h"
#include "virtual_terminal.h"

namespace {

using namespace platform;

constexpr uint8_t Esc = 0x1B;

enum class Encoding : uint8_t { Utf8, Shift_Jis, Ascii, Anything };

// ---- Glyph tables -----------------------------------------------------------

// A converter gone wrong: 0 to 8 bytes of anything, escape sequences, line
// feeds and C1 controls among them. The table must keep all of it off the
// terminal.
int Convert_To_Anything(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    uint32_t state = 2166136261u;
    for (int i = 0; i < in_length; ++i) state = (state ^ in[i]) * 16777619u;
    const int length = static_cast<int>(state % 9u) - (state % 7u == 0 ? 1 : 0);
    constexpr std::array<uint8_t, 8> Nasty = {0x1B, '[', '\n', '\r', 0x7F, 0xC2, 0x9B, 0x07};
    for (int i = 0; i < length && i < out_capacity; ++i) {
        state = state * 1103515245u + 12345u;
        out[i] = (state >> 20) % 3 == 0 ? Nasty[(state >> 8) % Nasty.size()] : static_cast<uint8_t>(state >> 12);
    }
    return length;
}

struct Table {
    Glyph_Table glyphs;
    Encoding encoding;
    // What each character the table sends is, as the terminal reads it: 1 a
    // single byte's, 2 a byte pair's (a placeholder is a single byte's).
    std::unordered_map<char32_t, uint8_t> kinds;
};

std::array<Table, 4> tables;
const Table* playing = nullptr;  // the table of the run, for the terminals' width rule

test_terminal::Encoding Terminal_Encoding(Encoding encoding) {
    return encoding == Encoding::Shift_Jis ? test_terminal::Encoding::Shift_Jis : test_terminal::Encoding::Utf8;
}

// A glyph's bytes as the terminal reads them: a code point, or for
// Shift-JIS the byte or the pair itself.
char32_t Character_Of(Encoding encoding, const uint8_t* bytes, size_t length) {
    if (encoding == Encoding::Shift_Jis) return length == 1 ? bytes[0] : static_cast<char32_t>(bytes[0] << 8 | bytes[1]);
    return drawing::Code_Point({reinterpret_cast<const char*>(bytes), length});
}

// A single byte must become a character one column wide in every terminal:
// ASCII or a half-width katakana (U+FF61..U+FF9F, EF BD A1 .. EF BE 9F); in
// Shift-JIS, a single byte stays one byte and a pair two.
void Check_Single_Is_Narrow(Encoding encoding, const Glyph_Bytes& glyph) {
    const uint8_t* b = glyph.bytes.data();
    bool narrow = glyph.length == 1;
    if (encoding == Encoding::Utf8 && glyph.length == 3 && b[0] == 0xEF) {
        narrow = (b[1] == 0xBD && b[2] >= 0xA1) || (b[1] == 0xBE && b[2] <= 0x9F);
    }
    fuzz::Check(narrow, "a single byte becomes a character one column wide");
}

void Record_Kinds(Table& table) {
    if (table.encoding == Encoding::Anything) return;
    auto note = [&table](const Glyph_Bytes& glyph, uint8_t kind) {
        if (glyph.length == 0) return;
        fuzz::Check(glyph.length <= 3, "a real glyph is at most 3 bytes");
        if (kind == 1) Check_Single_Is_Narrow(table.encoding, glyph);
        if (kind == 2 && table.encoding == Encoding::Shift_Jis) {
            fuzz::Check(glyph.length == 2, "a pair stays a pair in Shift-JIS");
        }
        table.kinds[Character_Of(table.encoding, glyph.bytes.data(), glyph.length)] |= kind;
    };
    for (const Glyph_Bytes& glyph : table.glyphs.singles) note(glyph, 1);
    for (const auto& row : table.glyphs.pairs) {
        for (const Glyph_Bytes& glyph : row) note(glyph, 2);
    }
    table.kinds[static_cast<char32_t>(Placeholder_Glyph[0])] |= 1;
    for (const auto& [key, kind] : table.kinds) {
        fuzz::Check(kind == 1 || kind == 2, "no terminal character stands for both a single byte and a pair");
    }
}

void Make_Tables() {
    // The game's own conversion, from the locale as in most terminals, and
    // into Shift-JIS as a Japanese terminal of old takes it.
    setenv("LC_ALL", "C.UTF-8", 1);
    fuzz::Check(posix_terminal::Load_Glyphs(tables[0].glyphs) == Input_Encoding::Utf8, "C.UTF-8 reads as UTF-8");
    tables[0].encoding = Encoding::Utf8;
    fuzz::Check(posix_terminal::Load_Glyphs_For("SHIFT_JIS", tables[1].glyphs) == Input_Encoding::Shift_Jis,
                "Shift-JIS reads as Shift-JIS");
    tables[1].encoding = Encoding::Shift_Jis;
    Fill_Glyph_Table(tables[2].glyphs, nullptr);
    tables[2].encoding = Encoding::Ascii;
    Fill_Glyph_Table(tables[3].glyphs, Convert_To_Anything);
    tables[3].encoding = Encoding::Anything;
    for (Table& table : tables) Record_Kinds(table);
}

// ---- The terminals ------------------------------------------------------------

using test_terminal::Right_Half;
using test_terminal::Virtual_Terminal;

// One terminal draws every double-byte character over two columns, the other
// over one (ambiguous_wide stands for that here).
int Width_By_Kind(const Virtual_Terminal& vt, char32_t c) {
    const auto kind = playing->kinds.find(c);
    fuzz::Check(kind != playing->kinds.end(), "every character sent is one the table holds");
    return kind->second == 2 && vt.ambiguous_wide ? 2 : 1;
}

std::array<Virtual_Terminal, 2> terminals;

void Terminals_Start(int width, int height) {
    for (size_t i = 0; i < terminals.size(); ++i) {
        terminals[i] = test_terminal::Make_Terminal(width, height, i == 0, Terminal_Encoding(playing->encoding));
        terminals[i].width_of = Width_By_Kind;
    }
}

// What a table that converts into anything sends is not to be read as text,
// but no byte of it may be a control byte but the renderer's own sequences.
void Check_Bytes_Only(std::string_view sent) {
    for (size_t i = 0; i < sent.size(); ++i) {
        const auto byte = static_cast<uint8_t>(sent[i]);
        if (byte == Esc) {
            fuzz::Check(i + 1 < sent.size() && sent[i + 1] == '[', "an ESC starts a control sequence");
            i += 2;
            while (i < sent.size() && ((sent[i] >= '0' && sent[i] <= '9') || sent[i] == ';')) ++i;
            fuzz::Check(i < sent.size() && std::string_view("HGCDJ").find(sent[i]) != std::string_view::npos,
                        "a control sequence is a placement, a column move or the screen clear");
            continue;
        }
        fuzz::Check(byte >= 0x20 && byte != 0x7F, "no control byte reaches the terminal raw");
    }
}

// Checks the bytes sent and plays them on both terminals.
void Play(std::string_view sent) {
    if (playing->encoding == Encoding::Anything) {
        Check_Bytes_Only(sent);
        return;
    }
    for (Virtual_Terminal& t : terminals) {
        test_terminal::Terminal_Feed(t, sent);
        if (!t.errors.empty()) {
            std::fprintf(stderr, "%s\n", t.errors.front().c_str());
            fuzz::Fail("the terminal gets only what it can show, where it can show it");
        }
    }
}

// ---- What the terminal must show --------------------------------------------

char32_t Glyph_Character(const Glyph_Bytes& glyph) {
    if (glyph.length == 0) return static_cast<char32_t>(Placeholder_Glyph[0]);
    return Character_Of(playing->encoding, glyph.bytes.data(), glyph.length);
}

void Check_Cell(const Virtual_Terminal& t, int row, int column, char32_t expected) {
    const char32_t shown = t.rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
    if (shown == expected) return;
    std::fprintf(stderr, "row %d column %d on the terminal %s: shown %x, expected %x\n", row, column,
                 t.ambiguous_wide ? "with wide characters" : "with narrow characters", static_cast<unsigned>(shown),
                 static_cast<unsigned>(expected));
    fuzz::Fail("after a presentation the terminal shows what the model holds");
}

// Reads the model's row the way the Windows console shows it and compares
// with each terminal, up to the terminal's edge.
void Check_Row(const Screen_Model& model, int row, int limit) {
    const auto& bytes = model.cells[static_cast<size_t>(row)];
    const Glyph_Table& glyphs = playing->glyphs;
    int column = 0;
    while (column < limit) {
        const uint8_t byte = bytes[static_cast<size_t>(column)];
        const bool pair = Is_Cp932_Lead(byte) && column + 1 < Screen_Model::Columns &&
                          Is_Cp932_Trail(bytes[static_cast<size_t>(column) + 1]);
        if (!pair) {
            for (const Virtual_Terminal& t : terminals) Check_Cell(t, row, column, Glyph_Character(glyphs.singles[byte]));
            ++column;
            continue;
        }
        const auto code = static_cast<Cell_Code>(byte << 8 | bytes[static_cast<size_t>(column) + 1]);
        const std::string_view glyph = Glyph_Of(glyphs, code);
        if (glyph == Placeholder_Glyph) {
            // No such character: one placeholder for each byte.
            for (int k = column; k < column + 2 && k < limit; ++k) {
                for (const Virtual_Terminal& t : terminals) Check_Cell(t, row, k, static_cast<char32_t>(glyph[0]));
            }
        } else if (column + 1 == limit) {
            // Cut by the right edge.
            for (const Virtual_Terminal& t : terminals) Check_Cell(t, row, column, U' ');
        } else {
            const char32_t c = Character_Of(playing->encoding, reinterpret_cast<const uint8_t*>(glyph.data()), glyph.size());
            for (const Virtual_Terminal& t : terminals) {
                Check_Cell(t, row, column, c);
                Check_Cell(t, row, column + 1, t.ambiguous_wide ? Right_Half : U' ');
            }
        }
        column += 2;
    }
}

// ---- The operations ----------------------------------------------------------

constexpr int Most_Rows = 96;

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool More() const { return at < size; }
    uint8_t Take() { return at < size ? data[at++] : 0; }
};

Screen_Model model;
Terminal_View view;

int Width_From(uint8_t byte) { return 1 + byte; }                    // 1..256, past the model's 160 too
int Height_From(uint8_t byte) { return 1 + byte % Most_Rows; }       // 1..96, past the model's 60 too

void Present() {
    const Console_Backend& operations = drawing::Terminal_Operations(playing->glyphs);
    Present_Model(model, view, playing->glyphs, operations);
    operations.send();
    Play(drawing::Take_Sent());
    if (playing->encoding == Encoding::Anything) return;
    const bool fits = view.width >= Needed_Columns && view.height >= Needed_Rows;
    if (!fits) return;
    const int rows = view.height < Screen_Model::Rows ? view.height : Screen_Model::Rows;
    const int limit = view.width < Screen_Model::Columns ? view.width : Screen_Model::Columns;
    for (int row = 0; row < rows; ++row) Check_Row(model, row, limit);
}

void Resize(int width, int height) {
    const bool changed = width != view.width || height != view.height;
    View_Resize(view, width, height);
    if (changed) Terminals_Start(width, height);
}

void Run(Input& in) {
    while (in.More()) {
        switch (in.Take() % 8) {
            case 0: {
                const int x = in.Take() - 8;
                const int y = in.Take() % 72 - 4;
                Model_Place(model, x, y);
                break;
            }
            case 1:
            case 2: {
                for (int n = in.Take() % 48; n > 0 && in.More(); --n) Model_Put(model, in.Take());
                break;
            }
            case 3: {
                std::array<char, 32> line{};
                const size_t length = in.Take() % line.size();
                for (size_t k = 0; k < length; ++k) line[k] = static_cast<char>(in.Take());
                Model_Put_Line(model, {line.data(), length});
                break;
            }
            case 4: Present(); break;
            case 5: {
                const int width = Width_From(in.Take());
                Resize(width, Height_From(in.Take()));
                break;
            }
            case 6:
                View_Invalidate(view);
                for (Virtual_Terminal& t : terminals) test_terminal::Terminal_Lose(t);
                break;
            default: {
                // A whole model row of one byte pattern, to reach the right edge.
                const uint8_t a = in.Take();
                const uint8_t b = in.Take();
                Model_Place(model, 0, in.Take() % Screen_Model::Rows);
                for (int k = 0; k < Screen_Model::Columns; ++k) Model_Put(model, k % 2 == 0 ? a : b);
                break;
            }
        }
    }
    Present();
}

// The plain text path: everything the input holds, as one notice.
void Check_Plain_Text(const uint8_t* data, size_t size) {
    const Console_Backend& operations = drawing::Terminal_Operations(playing->glyphs);
    Plain_Text text;
    size_t line_feeds = 0;
    for (size_t i = 0; i < size; ++i) {
        Plain_Put(text, data[i], playing->glyphs, operations);
        if (data[i] == '\n') ++line_feeds;
    }
    Plain_Finish(text, operations);
    operations.send();
    const std::string sent = drawing::Take_Sent();
    size_t line_ends = 0;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i] == '\r' && i + 1 < sent.size() && sent[i + 1] == '\n') {
            ++line_ends;
            ++i;
            continue;
        }
        const auto byte = static_cast<uint8_t>(sent[i]);
        fuzz::Check(byte >= 0x20 && byte != 0x7F, "plain text holds no control byte but its line ends");
    }
    fuzz::Check(line_ends == line_feeds, "plain text has a line end for each line feed, and no other");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Make_Tables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    playing = &tables[in.Take() % tables.size()];
    const int width = Width_From(in.Take());
    const int height = Height_From(in.Take());
    Model_Clear(model);
    View_Start(view, width, height);
    Terminals_Start(width, height);
    Run(in);
    Check_Plain_Text(data, size);
    return 0;
}
