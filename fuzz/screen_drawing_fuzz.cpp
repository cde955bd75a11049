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
//  - on two model terminals, one where every double-byte character takes two
//    columns and one where it takes one (the "ambiguous width" setting either
//    way), the cursor is only ever placed inside the terminal, no character is
//    written where the cursor position is not known or where it would wrap,
//    and after each presentation the terminal shows exactly what the model
//    holds: each byte pair that is a character in its two columns, every other
//    byte as its own character or a placeholder.
// And for the plain text: no control byte but the line end, no ESC at all.

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fuzz_support.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/core/plain_text.h"
#include "platform/core/screen_renderer.h"
#include "platform/core/terminal_bytes.h"
#include "platform/posix/glyph_conversion.h"
#include "platform/screen_model.h"

namespace {

using namespace platform;

constexpr uint8_t Esc = 0x1B;

enum class Encoding : uint8_t { Utf8, Shift_Jis, Ascii, Anything };

// ---- Glyph tables -----------------------------------------------------------

iconv_t shift_jis_converter = reinterpret_cast<iconv_t>(-1);

int Convert_To_Shift_Jis(const uint8_t* in, int in_length, uint8_t* out, int out_capacity) {
    iconv(shift_jis_converter, nullptr, nullptr, nullptr, nullptr);
    std::array<char, 8> input{};
    std::memcpy(input.data(), in, static_cast<size_t>(in_length));
    char* in_next = input.data();
    size_t in_left = static_cast<size_t>(in_length);
    char* out_next = reinterpret_cast<char*>(out);
    size_t out_left = static_cast<size_t>(out_capacity);
    if (iconv(shift_jis_converter, &in_next, &in_left, &out_next, &out_left) == static_cast<size_t>(-1)) return -1;
    return in_left == 0 ? out_capacity - static_cast<int>(out_left) : -1;
}

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
    // Each glyph's terminal bytes, packed: 1 when a single byte makes it, 2
    // when a byte pair does (a placeholder is single).
    std::unordered_map<uint32_t, uint8_t> kinds;
};

std::array<Table, 4> tables;

uint32_t Pack(const uint8_t* bytes, size_t length) {
    uint32_t key = static_cast<uint32_t>(length) << 24;
    for (size_t i = 0; i < length; ++i) key |= static_cast<uint32_t>(bytes[i]) << (16 - 8 * i);
    return key;
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
        table.kinds[Pack(glyph.bytes.data(), glyph.length)] |= kind;
    };
    for (const Glyph_Bytes& glyph : table.glyphs.singles) note(glyph, 1);
    for (const auto& row : table.glyphs.pairs) {
        for (const Glyph_Bytes& glyph : row) note(glyph, 2);
    }
    table.kinds[Pack(reinterpret_cast<const uint8_t*>(Placeholder_Glyph.data()), Placeholder_Glyph.size())] |= 1;
    for (const auto& [key, kind] : table.kinds) {
        fuzz::Check(kind == 1 || kind == 2, "no terminal character stands for both a single byte and a pair");
    }
}

void Make_Tables() {
    // The game's own conversion, into UTF-8 as in most terminals.
    setenv("LC_ALL", "C.UTF-8", 1);
    fuzz::Check(posix_terminal::Load_Glyphs(tables[0].glyphs) == Input_Encoding::Utf8, "C.UTF-8 reads as UTF-8");
    tables[0].encoding = Encoding::Utf8;
    shift_jis_converter = iconv_open("SHIFT_JIS", "CP932");
    fuzz::Check(shift_jis_converter != reinterpret_cast<iconv_t>(-1), "iconv converts CP932 into Shift-JIS");
    Fill_Glyph_Table(tables[1].glyphs, Convert_To_Shift_Jis);
    tables[1].encoding = Encoding::Shift_Jis;
    iconv_close(shift_jis_converter);
    Fill_Glyph_Table(tables[2].glyphs, nullptr);
    tables[2].encoding = Encoding::Ascii;
    Fill_Glyph_Table(tables[3].glyphs, Convert_To_Anything);
    tables[3].encoding = Encoding::Anything;
    for (Table& table : tables) Record_Kinds(table);
}

// ---- A model terminal --------------------------------------------------------

constexpr int Most_Columns = 256;
constexpr int Most_Rows = 96;

struct Shown {
    enum Kind : uint8_t { Unknown, Glyph, Right_Half } kind = Unknown;
    uint8_t length = 0;
    std::array<uint8_t, 3> bytes{};
};

Shown Glyph_Shown(const uint8_t* bytes, size_t length) {
    Shown shown;
    shown.kind = Shown::Glyph;
    shown.length = static_cast<uint8_t>(length);
    for (size_t i = 0; i < length; ++i) shown.bytes[i] = bytes[i];
    return shown;
}

const Shown Blank_Shown = Glyph_Shown(reinterpret_cast<const uint8_t*>(" "), 1);

Shown Right_Half_Shown() {
    Shown shown;
    shown.kind = Shown::Right_Half;
    return shown;
}

bool operator==(const Shown& a, const Shown& b) {
    // Member by member: std::array's == goes through memcmp, which libFuzzer
    // intercepts at a cost paid for every cell of every check.
    return a.kind == b.kind && a.length == b.length && a.bytes[0] == b.bytes[0] && a.bytes[1] == b.bytes[1] &&
           a.bytes[2] == b.bytes[2];
}

struct Terminal {
    bool double_is_wide = true;  // how wide this terminal draws a double-byte character
    int width = 0;
    int height = 0;
    int row = -1;  // -1: the renderer cannot know where the cursor is
    int column = 0;
    bool wrap_pending = false;
    std::array<std::array<Shown, Most_Columns>, Most_Rows> cells;
};

std::array<Terminal, 2> terminals;

void Terminal_Fill(Terminal& t, const Shown& shown) {
    if (t.height <= 0) return;
    auto& first = t.cells[0];
    std::fill(first.begin(), first.begin() + t.width, shown);
    for (int row = 1; row < t.height; ++row) {
        std::memcpy(t.cells[static_cast<size_t>(row)].data(), first.data(),
                    sizeof(Shown) * static_cast<size_t>(t.width));
    }
}

void Terminal_Lose(Terminal& t) {
    Terminal_Fill(t, Shown{});
    t.row = -1;
    t.column = 0;
    t.wrap_pending = false;
}

void Terminal_Start(Terminal& t, int width, int height) {
    t.width = width;
    t.height = height;
    Terminal_Lose(t);
}

void Terminal_Clear(Terminal& t) { Terminal_Fill(t, Blank_Shown); }

// Overwriting either half of a wide character blanks its other half.
void Break_Wide_At(Terminal& t, int column) {
    auto& line = t.cells[static_cast<size_t>(t.row)];
    if (line[static_cast<size_t>(column)].kind == Shown::Right_Half && column > 0) {
        line[static_cast<size_t>(column) - 1] = Blank_Shown;
    }
    if (column + 1 < t.width && line[static_cast<size_t>(column) + 1].kind == Shown::Right_Half) {
        line[static_cast<size_t>(column) + 1] = Blank_Shown;
    }
}

void Terminal_Put(Terminal& t, const uint8_t* bytes, size_t length, uint8_t kind) {
    const int width = kind == 2 && t.double_is_wide ? 2 : 1;
    fuzz::Check(t.row >= 0, "no character is written before the cursor is placed");
    fuzz::Check(!t.wrap_pending && t.column + width <= t.width, "no character wraps past the right edge");
    for (int c = t.column; c < t.column + width; ++c) Break_Wide_At(t, c);
    auto& line = t.cells[static_cast<size_t>(t.row)];
    line[static_cast<size_t>(t.column)] = Glyph_Shown(bytes, length);
    if (width == 2) line[static_cast<size_t>(t.column) + 1] = Right_Half_Shown();
    t.column += width;
    if (t.column == t.width) {
        t.column = t.width - 1;
        t.wrap_pending = true;
    }
}

// The parameters of a sequence, each 0 when left out.
struct Parameters {
    std::array<int, 2> values{};
    int count = 0;
};

int One_Based(int value) { return value == 0 ? 1 : value; }

void Terminal_Sequence(Terminal& t, const Parameters& p, uint8_t final) {
    t.wrap_pending = false;
    const int first = One_Based(p.values[0]);
    switch (final) {
        case 'H':
            fuzz::Check(p.count <= 2, "a placement has at most two parameters");
            fuzz::Check(first <= t.height && One_Based(p.values[1]) <= t.width,
                        "the cursor is placed inside the terminal");
            t.row = first - 1;
            t.column = One_Based(p.values[1]) - 1;
            return;
        case 'J':
            fuzz::Check(p.count == 1 && p.values[0] == 2, "the only erase is the whole screen");
            Terminal_Clear(t);
            return;
        default: break;
    }
    fuzz::Check(p.count <= 1, "a column move has at most one parameter");
    fuzz::Check(t.row >= 0, "the cursor is moved along a row only when its row is known");
    if (final == 'G') t.column = first - 1;
    if (final == 'C') t.column += first;
    if (final == 'D') t.column -= first;
    fuzz::Check(t.column >= 0 && t.column < t.width, "a column move stays inside the terminal");
}

// ---- What the terminal receives ---------------------------------------------

std::vector<uint8_t> sent;

void Drain(Output_Bytes& out) {
    sent.insert(sent.end(), out.data.begin(), out.data.begin() + static_cast<std::ptrdiff_t>(out.length));
    out.length = 0;
}

// An ESC and its sequence, which must be one the renderer sends; returns the
// index after it.
size_t Read_Sequence(const std::vector<uint8_t>& bytes, size_t i, Parameters& p, uint8_t& final) {
    fuzz::Check(i + 1 < bytes.size() && bytes[i + 1] == '[', "an ESC starts a control sequence");
    i += 2;
    bool digits = false;
    for (; i < bytes.size(); ++i) {
        const uint8_t byte = bytes[i];
        if (byte >= '0' && byte <= '9') {
            if (!digits) p.count = p.count == 0 ? 1 : p.count;
            digits = true;
            int& value = p.values[static_cast<size_t>(p.count - 1)];
            fuzz::Check(value < 100000, "a parameter stays small");
            value = value * 10 + (byte - '0');
        } else if (byte == ';') {
            fuzz::Check(p.count < 2, "a sequence has at most two parameters");
            p.count = p.count == 0 ? 2 : p.count + 1;
            digits = false;
        } else {
            break;
        }
    }
    fuzz::Check(i < bytes.size(), "a control sequence is sent whole");
    final = bytes[i];
    fuzz::Check(final == 'H' || final == 'G' || final == 'C' || final == 'D' || final == 'J',
                "a control sequence is a placement, a column move or the screen clear");
    return i + 1;
}

size_t Character_Length(Encoding encoding, uint8_t lead) {
    switch (encoding) {
        case Encoding::Utf8:
            if (lead < 0x80) return 1;
            fuzz::Check(lead >= 0xC2 && lead <= 0xEF, "a UTF-8 character starts with a lead byte of at most 3");
            return lead < 0xE0 ? 2 : 3;
        case Encoding::Shift_Jis: return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
        default: return 1;
    }
}

void Check_Utf8_Character(const uint8_t* bytes, size_t length) {
    for (size_t i = 1; i < length; ++i) {
        fuzz::Check(bytes[i] >= 0x80 && bytes[i] <= 0xBF, "a UTF-8 character is whole");
    }
    fuzz::Check(!(length == 2 && bytes[0] == 0xC2 && bytes[1] <= 0x9F), "no C1 control reaches the terminal");
}

// Checks the bytes sent and plays them on both model terminals.
void Play(const Table& table) {
    size_t i = 0;
    while (i < sent.size()) {
        const uint8_t byte = sent[i];
        if (byte == Esc) {
            Parameters p;
            uint8_t final = 0;
            i = Read_Sequence(sent, i, p, final);
            if (table.encoding != Encoding::Anything) {
                for (Terminal& t : terminals) Terminal_Sequence(t, p, final);
            }
            continue;
        }
        fuzz::Check(byte >= 0x20 && byte != 0x7F, "no control byte reaches the terminal raw");
        if (table.encoding == Encoding::Anything) {
            ++i;
            continue;
        }
        const size_t length = Character_Length(table.encoding, byte);
        fuzz::Check(i + length <= sent.size(), "a character is sent whole");
        if (table.encoding == Encoding::Utf8) Check_Utf8_Character(&sent[i], length);
        for (size_t k = 1; k < length; ++k) {
            fuzz::Check(sent[i + k] >= 0x20 && sent[i + k] != 0x7F, "no control byte inside a character");
        }
        const auto kind = table.kinds.find(Pack(&sent[i], length));
        fuzz::Check(kind != table.kinds.end(), "every character sent is one the table holds");
        for (Terminal& t : terminals) Terminal_Put(t, &sent[i], length, kind->second);
        i += length;
    }
    sent.clear();
}

// ---- What the terminal must show --------------------------------------------

bool Is_Lead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool Is_Trail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

const Glyph_Bytes& Pair_Entry(const Glyph_Table& glyphs, uint8_t lead, uint8_t trail) {
    const int lead_index = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    return glyphs.pairs[static_cast<size_t>(lead_index)][static_cast<size_t>(trail - 0x40)];
}

Shown Placeholder_Shown() {
    return Glyph_Shown(reinterpret_cast<const uint8_t*>(Placeholder_Glyph.data()), Placeholder_Glyph.size());
}

using Singles_Shown = std::array<Shown, 256>;

// What each byte shows as a character of its own.
Singles_Shown Make_Singles_Shown(const Glyph_Table& glyphs) {
    Singles_Shown singles;
    for (size_t byte = 0; byte < singles.size(); ++byte) {
        const Glyph_Bytes& glyph = glyphs.singles[byte];
        singles[byte] = glyph.length > 0 ? Glyph_Shown(glyph.bytes.data(), glyph.length) : Placeholder_Shown();
    }
    return singles;
}

void Print_Shown(const char* what, const Shown& shown) {
    std::fprintf(stderr, " %s: kind %d bytes", what, static_cast<int>(shown.kind));
    for (int i = 0; i < shown.length; ++i) std::fprintf(stderr, " %02x", shown.bytes[static_cast<size_t>(i)]);
}

void Check_Cell(const Terminal& t, int row, int column, const Shown& expected) {
    const Shown& shown = t.cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
    if (shown == expected) return;
    std::fprintf(stderr, "row %d column %d on the terminal %s:", row, column,
                 t.double_is_wide ? "with wide characters" : "with narrow characters");
    Print_Shown("shown", shown);
    Print_Shown("expected", expected);
    std::fprintf(stderr, "\n");
    fuzz::Fail("after a presentation the terminal shows what the model holds");
}

// Reads the model's row the way the Windows console shows it and compares
// with each terminal, up to the terminal's edge.
void Check_Row(const Table& table, const Singles_Shown& singles, const Screen_Model& model, int row, int limit) {
    const auto& bytes = model.cells[static_cast<size_t>(row)];
    int column = 0;
    while (column < limit) {
        const uint8_t byte = bytes[static_cast<size_t>(column)];
        const bool pair = Is_Lead(byte) && column + 1 < Screen_Model::Columns &&
                          Is_Trail(bytes[static_cast<size_t>(column) + 1]);
        if (!pair) {
            for (const Terminal& t : terminals) Check_Cell(t, row, column, singles[byte]);
            ++column;
            continue;
        }
        const Glyph_Bytes& glyph = Pair_Entry(table.glyphs, byte, bytes[static_cast<size_t>(column) + 1]);
        if (glyph.length == 0) {
            // No such character: one placeholder for each byte.
            for (int k = column; k < column + 2 && k < limit; ++k) {
                for (const Terminal& t : terminals) Check_Cell(t, row, k, Placeholder_Shown());
            }
        } else if (column + 1 == limit) {
            // Cut by the right edge.
            for (const Terminal& t : terminals) Check_Cell(t, row, column, Blank_Shown);
        } else {
            for (const Terminal& t : terminals) {
                Check_Cell(t, row, column, Glyph_Shown(glyph.bytes.data(), glyph.length));
                Check_Cell(t, row, column + 1, t.double_is_wide ? Right_Half_Shown() : Blank_Shown);
            }
        }
        column += 2;
    }
}

// ---- The operations ----------------------------------------------------------

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool More() const { return at < size; }
    uint8_t Take() { return at < size ? data[at++] : 0; }
};

Screen_Model model;
Terminal_View view;
Output_Bytes out;

int Width_From(uint8_t byte) { return 1 + byte; }            // 1..256, past the model's 160 too
int Height_From(uint8_t byte) { return 1 + byte % Most_Rows; }  // 1..96, past the model's 60 too

void Present(const Table& table) {
    Present_Model(model, view, table.glyphs, out, Drain);
    Drain(out);
    Play(table);
    if (table.encoding == Encoding::Anything) return;
    const bool fits = view.width >= Needed_Columns && view.height >= Needed_Rows;
    if (!fits) return;
    const int rows = view.height < Screen_Model::Rows ? view.height : Screen_Model::Rows;
    const int limit = view.width < Screen_Model::Columns ? view.width : Screen_Model::Columns;
    const Singles_Shown singles = Make_Singles_Shown(table.glyphs);
    for (int row = 0; row < rows; ++row) Check_Row(table, singles, model, row, limit);
}

void Resize(int width, int height) {
    const bool changed = width != view.width || height != view.height;
    View_Resize(view, width, height);
    if (!changed) return;
    for (Terminal& t : terminals) Terminal_Start(t, width, height);
}

void Run(Input& in, const Table& table) {
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
            case 4: Present(table); break;
            case 5: {
                const int width = Width_From(in.Take());
                Resize(width, Height_From(in.Take()));
                break;
            }
            case 6:
                View_Invalidate(view);
                for (Terminal& t : terminals) Terminal_Lose(t);
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
    Present(table);
}

// The plain text path: everything the input holds, as one notice.
void Check_Plain_Text(const uint8_t* data, size_t size, const Table& table) {
    Plain_Text text;
    text.line_end = "\r\n";
    size_t line_feeds = 0;
    for (size_t i = 0; i < size; ++i) {
        Plain_Put(text, data[i], table.glyphs, out, Drain);
        if (data[i] == '\n') ++line_feeds;
    }
    Plain_Finish(text, table.glyphs, out, Drain);
    Drain(out);
    size_t line_ends = 0;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i] == '\r' && i + 1 < sent.size() && sent[i + 1] == '\n') {
            ++line_ends;
            ++i;
            continue;
        }
        fuzz::Check(sent[i] >= 0x20 && sent[i] != 0x7F, "plain text holds no control byte but its line ends");
    }
    fuzz::Check(line_ends == line_feeds, "plain text has a line end for each line feed, and no other");
    sent.clear();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Make_Tables();
    terminals[0].double_is_wide = true;
    terminals[1].double_is_wide = false;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const Table& table = tables[in.Take() % tables.size()];
    const int width = Width_From(in.Take());
    const int height = Height_From(in.Take());
    Model_Clear(model);
    View_Start(view, width, height);
    out.length = 0;
    sent.clear();
    for (Terminal& t : terminals) Terminal_Start(t, width, height);
    Run(in, table);
    Check_Plain_Text(data, size, table);
    return 0;
}
