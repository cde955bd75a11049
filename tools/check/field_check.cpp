// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "field_check.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "cp932_text.h"
#include "data/text_reader.h"
#include "field/walking.h"
#include "shell/console.h"
#include "shell/game.h"
#include "status_check.h"
#include "tr.h"
#include "unicode_cp932.h"

namespace {

constexpr int Line_Bytes = Field_Columns - 1;  // 53, then the line feed
constexpr long Most_Bytes_Looked_At = 64L * 1024;

int32_t Cell(int index) { return Field_Map[index / Field_Columns][index % Field_Columns]; }

// TRANSLATORS: a place on the field, as the hero file gives the start.
std::string At(int x, int y) { return Format(Tr("x %d, y %d"), x, y); }

// Two clauses of one sentence.
std::string Joined(const std::string& first, const std::string& second) {
    // TRANSLATORS: joins two clauses of one message.
    return Format(Tr("%s; %s"), first.c_str(), second.c_str());
}

// "the 3 bytes after it are never read"
std::string Never_Read_After(long bytes) {
    return Format(Tr_Plural("the %ld byte after it is never read", "the %ld bytes after it are never read", bytes), bytes);
}

// The byte a cell is drawn from.
uint8_t Drawn_Byte(int32_t cell) {
    if (cell == 0) return ' ';
    if (cell == Past_End_Cell) return 0xFF;
    return static_cast<uint8_t>(cell);
}

// What the map file holds beyond the cells the game reads, read on with the
// game's own reader (which stops at a Ctrl+Z).
struct Map_Rest {
    long unread_bytes = 0;       // from the first byte never read to the end
    bool anything_else = false;  // more than white space, or bytes behind a Ctrl+Z
};

Map_Rest Rest_Of(Text_File& text) {
    const bool ended = text.ended;
    const long stop = Offset_Of_Next_Char(text);
    bool anything_else = false;
    for (long looked = 0; !ended && looked < Most_Bytes_Looked_At; ++looked) {
        const int c = Read_Char(text);
        if (c == -1) break;
        if (!Is_Space(c)) anything_else = true;
    }
    const long ctrl_z = text.ended_at_ctrl_z ? Offset_Of_Next_Char(text) : -1;
    const long size = File_Size(text.file);
    Map_Rest rest;
    // A Ctrl+Z that ended the cells is itself read; all after it is not.
    rest.unread_bytes = ended ? (ctrl_z >= 0 ? size - ctrl_z - 1 : 0) : size - stop;
    rest.anything_else = anything_else || (ctrl_z >= 0 && size - ctrl_z - 1 > 0);
    return rest;
}

// Each cell's place in the file: a line feed cell ends a line. A carriage
// return dropped before a line feed stands at the end of its line, so the
// columns of every other byte are the file's own.
void Place_Cells(Map_Reading& map) {
    map.cell_at.assign(Field_Cells + 1, Position{});
    Position at;
    for (int i = 0; i < map.cells_read; ++i) {
        map.cell_at[i] = at;
        if (Cell(i) == '\n') {
            ++at.line;
            at.column = 1;
        } else {
            ++at.column;
        }
    }
    for (int i = map.cells_read; i <= Field_Cells; ++i) map.cell_at[i] = at;
}

void Report_Size(Findings& findings, const Map_Reading& map, bool ended_at_ctrl_z, const Map_Rest& rest) {
    const char* name = Field_Map_File;
    if (map.cells_read < Field_Cells) {
        const int r = map.cells_read;
        const long cells = Field_Cells - r;
        const std::string from = At(r % Field_Columns, r / Field_Columns);
        std::string message =
            ended_at_ctrl_z
                ? Format(Tr_Plural("a Ctrl+Z ends the map after %d of the 1026 bytes the game reads: the last %ld cell, "
                                   "from %s on, blocks and shows as ?",
                                   "a Ctrl+Z ends the map after %d of the 1026 bytes the game reads: the last %ld "
                                   "cells, from %s on, block and show as ?",
                                   cells),
                         r, cells, from.c_str())
                : Format(Tr_Plural("the map ends after %d of the 1026 bytes the game reads: the last %ld cell, from %s "
                                   "on, blocks and shows as ?",
                                   "the map ends after %d of the 1026 bytes the game reads: the last %ld cells, from "
                                   "%s on, block and show as ?",
                                   cells),
                         r, cells, from.c_str());
        if (rest.unread_bytes > 0) message = Joined(message, Never_Read_After(rest.unread_bytes));
        findings.Add(name, map.cell_at[r], Severity::Warning, message);
    } else if (rest.anything_else) {
        findings.Add(name, map.cell_at[Field_Cells], Severity::Warning,
                     Format(Tr_Plural("the game reads the map's first 1026 bytes only: the %ld byte from here on is "
                                      "never read",
                                      "the game reads the map's first 1026 bytes only: the %ld bytes from here on are "
                                      "never read",
                                      rest.unread_bytes),
                            rest.unread_bytes));
    }
}

// Lines one byte short are told as one, with their cause (see Report_Causes).
void Report_Line_Lengths(Findings& findings, const Map_Reading& map, bool short_told) {
    long shift = 0;
    int line_start = 0;
    for (int i = 0; i < map.cells_read; ++i) {
        if (Cell(i) != '\n') continue;
        const int length = i - line_start;
        line_start = i + 1;
        if (length == Line_Bytes) continue;
        if (short_told && length == Line_Bytes - 1) {
            shift -= 1;
            continue;
        }
        const long moved = length - Line_Bytes;
        shift += moved;
        const long line = map.cell_at[i].line;
        std::string message =
            moved < 0 ? Format(Tr("line %ld has %d bytes before its line feed, not 53: every later cell moves %ld to the left"),
                               line, length, -moved)
                      : Format(Tr("line %ld has %d bytes before its line feed, not 53: every later cell moves %ld to the right"),
                               line, length, moved);
        if (shift == 0 && shift != moved) {
            message = Format(Tr("%s (back in place)"), message.c_str());
        } else if (shift != moved) {
            message = shift < 0 ? Format(Tr("%s (%ld to the left in all)"), message.c_str(), -shift)
                                : Format(Tr("%s (%ld to the right in all)"), message.c_str(), shift);
        }
        findings.Add(Field_Map_File, map.cell_at[i], Severity::Warning, message);
    }
}

// `pair`: the byte and the next are a lead and a trail byte with no
// character between them.
std::string Why_Placeholder(uint8_t byte, uint8_t next, bool pair) {
    const std::string hex = Hex_Byte(byte);
    if (pair) {
        return Format(Tr("bytes %s %s are no character of code page 932: a wall drawn as ??"), hex.c_str(),
                      Hex_Byte(next).c_str());
    }
    if (byte < 0x20 || byte == 0x7F) return Format(Tr("control byte %s is a wall drawn as ?"), hex.c_str());
    if (platform::Is_Cp932_Lead(byte)) {
        return Format(Tr("byte %s starts a full-width character that has no second byte: a wall drawn as ?"), hex.c_str());
    }
    return Format(Tr("byte %s is no character of code page 932: a wall drawn as ?"), hex.c_str());
}

// A line of the map too short or too long splits a full-width character
// across the end of every row until another line puts things back: told
// once for such a run of rows.
struct Split_Rows {
    int first_cell = -1;
    int first_row = 0;
    int last_row = 0;
};

void Report_Splits(Findings& findings, const Map_Reading& map, const Split_Rows& split) {
    if (split.first_cell < 0) return;
    const std::string message =
        split.last_row > split.first_row
            ? Format(Tr("a full-width character is split across the end of rows %d to %d: its first byte is drawn as ? "
                        "and its second starts the next row"),
                     split.first_row, split.last_row)
            : Format(Tr("a full-width character is split across the end of row %d: its first byte is drawn as ? and "
                        "its second starts the next row"),
                     split.first_row);
    findings.Add(Field_Map_File, map.cell_at[split.first_cell], Severity::Warning, message);
}

// Bytes the game draws as '?': one finding a line of the file, at the first.
void Report_Placeholders(Findings& findings, const Map_Reading& map) {
    struct Line_Faults {
        int first;
        int count;
        bool pair;  // the first is an unassigned pair
    };
    std::map<long, Line_Faults> by_line;
    Split_Rows split;
    int split_second_half = -1;  // told with its first half
    std::array<uint8_t, Field_Columns> bytes{};
    std::array<platform::Cell_Code, Field_Columns> codes{};
    for (int row = 0; row < Field_Rows; ++row) {
        for (int column = 0; column < Field_Columns; ++column) bytes[column] = Drawn_Byte(Field_Map[row][column]);
        platform::Layout_Row(bytes.data(), Field_Columns, Code_Page_Table(), codes.data());
        for (int column = 0; column < Field_Columns; ++column) {
            const int index = row * Field_Columns + column;
            if (codes[column] != platform::Cell_Placeholder || index >= map.cells_read || bytes[column] == '\n' ||
                index == split_second_half) {
                continue;
            }
            const int next = index + 1;
            if (column == Field_Columns - 1 && platform::Is_Cp932_Lead(bytes[column]) && next < map.cells_read &&
                platform::Is_Cp932_Trail(Drawn_Byte(Cell(next)))) {
                if (split.first_cell >= 0 && split.last_row + 1 != row) {
                    Report_Splits(findings, map, split);
                    split.first_cell = -1;
                }
                if (split.first_cell < 0) split = {index, row, row};
                split.last_row = row;
                split_second_half = next;
                continue;
            }
            // An unassigned pair is one fault over its two cells.
            const bool pair = column + 1 < Field_Columns && platform::Is_Cp932_Lead(bytes[column]) &&
                              platform::Is_Cp932_Trail(bytes[column + 1]);
            if (pair) ++column;
            const auto [place, fresh] = by_line.try_emplace(map.cell_at[index].line, Line_Faults{index, 0, pair});
            ++place->second.count;
        }
    }
    Report_Splits(findings, map, split);
    for (const auto& [line, faults] : by_line) {
        const uint8_t next = faults.first + 1 < Field_Cells ? Drawn_Byte(Cell(faults.first + 1)) : 0;
        std::string message = Why_Placeholder(Drawn_Byte(Cell(faults.first)), next, faults.pair);
        if (faults.count > 1) {
            message = Format(Tr_Plural("%s (and %d more on this line)", "%s (and %d more on this line)", faults.count - 1),
                             message.c_str(), faults.count - 1);
        }
        findings.Add(Field_Map_File, map.cell_at[faults.first], Severity::Warning, message);
    }
}

long Warnings_In(const Findings& told) {
    return static_cast<long>(std::count_if(told.list.begin(), told.list.end(),
                                           [](const Finding& f) { return f.severity != Severity::Note; }));
}

bool Inside(int x, int y) { return x >= 0 && x < Field_Columns && y >= 0 && y < Field_Rows; }

// A start on an odd column: the cause of what the hero then does wrong, told
// once (the last column has a finding of its own).
bool Odd_Start(const Hero_Status_Info& hero) {
    return Inside(hero.x, hero.y) && hero.x % 2 == 1 && hero.x != Field_Columns - 1;
}

bool Blocks(int x, int y) { return Inside(x, y) && Field_Map[y][x] != 0; }

Position Cell_At(const Map_Reading& map, int x, int y) { return map.cell_at[y * Field_Columns + x]; }

void Report_Hero_Start(Findings& findings, const Map_Reading& map, const Hero_Status_Info& hero, Position start_at) {
    const int x = hero.x, y = hero.y;
    const std::string start = At(x, y);
    if (!Inside(x, y)) {
        findings.Add(Hero_File_Name, start_at, Severity::Warning,
                     Format(Tr("the hero starts outside the field of 54 columns and 19 rows, at %s: every step from "
                               "there is refused"),
                            start.c_str()));
        return;
    }
    if (x == Field_Columns - 1) {
        findings.Add(Hero_File_Name, start_at, Severity::Warning,
                     Format(Tr("the hero starts at %s: its right half lies outside the field"), start.c_str()));
    } else if (Odd_Start(hero)) {
        findings.Add(Hero_File_Name, start_at, Severity::Warning,
                     Format(Tr("the hero starts on an odd column, %s: every step left or right is two columns, so it "
                               "stays on odd columns, half across the map's full-width walls, while the pawn and the "
                               "map's full-width characters stand on even ones"),
                            start.c_str()));
    }
    for (const int column : {x, x + 1}) {
        if (!Blocks(column, y)) continue;
        const Position wall = Cell_At(map, column, y);
        findings.Add(Hero_File_Name, start_at, Severity::Warning,
                     Format(Tr("the hero starts on a wall at %s"), start.c_str()));
        findings.list.back().also_file = findings.Path(Field_Map_File);
        findings.list.back().also_at = wall;
        return;
    }
}

bool Start_On_Wall(const Hero_Status_Info& hero) {
    return Inside(hero.x, hero.y) && (Blocks(hero.x, hero.y) || Blocks(hero.x + 1, hero.y));
}

// A start on a wall or on an odd column has its finding: what follows from it
// is a note.
void Report_Reach(Findings& findings, const Map_Reading& map, const Hero_Status_Info& hero, const Field_Walk& walk) {
    const int x = hero.x, y = hero.y;
    if (!Inside(x, y)) return;
    const Position at = Cell_At(map, x, y);
    const bool on_wall = Start_On_Wall(hero);
    const std::string start = At(x, y);
    const char* where = start.c_str();
    if (walk.hero.count <= 1 && on_wall) {
        findings.Add(Field_Map_File, at, Severity::Note, Format(Tr("so the hero cannot move from its start, %s"), where));
    } else if (walk.hero.count <= 1) {
        findings.Add(Field_Map_File, at, Severity::Warning,
                     Format(Tr("the hero cannot move from its start, %s: every step is blocked"), where));
    } else {
        findings.Add(Field_Map_File, at, Severity::Note,
                     Format(Tr_Plural("from its start, %s, the hero can reach %ld place",
                                      "from its start, %s, the hero can reach %ld places", walk.hero.count),
                            where, static_cast<long>(walk.hero.count)));
    }
    const Position pawn_at = Cell_At(map, Pawn_Start_X, Pawn_Start_Y);
    if (walk.pawn.reached[y][x]) {
        findings.Add(Field_Map_File, pawn_at, Severity::Note, Format(Tr("the pawn can reach the hero's start, %s"), where));
    } else if (on_wall) {
        findings.Add(Field_Map_File, pawn_at, Severity::Note,
                     Format(Tr("so the pawn cannot reach the hero's start, %s"), where));
    } else if (Odd_Start(hero)) {
        findings.Add(Field_Map_File, pawn_at, Severity::Note,
                     Format(Tr("so the pawn, which stays on even columns, cannot reach the hero's start, %s"), where));
    } else {
        findings.Add(Field_Map_File, pawn_at, Severity::Warning,
                     Format(Tr("the pawn cannot reach the hero's start, %s"), where));
    }
}

// A step up or down tests only the left cell of the two it moves into, so a
// character entering a place from above or below may cover a wall with its
// right half.
// A hero on an odd column walks through walls because of its start: those
// are folded into one note, at the first.
void Report_Walls_Walked_Through(Findings& findings, const Map_Reading& map, const Field_Walk& walk, bool with_hero,
                                 bool hero_odd) {
    long folded = 0;
    Position first_folded;
    for (int y = 0; y < Field_Rows; ++y) {
        for (int x = 0; x + 1 < Field_Columns; ++x) {
            const bool hero = with_hero && walk.hero.entered[y][x];
            const bool pawn = walk.pawn.entered[y][x];
            if (!(hero || pawn) || !Blocks(x + 1, y)) continue;
            if (hero && !pawn && hero_odd) {
                if (folded++ == 0) first_folded = Cell_At(map, x + 1, y);
                continue;
            }
            const char* message =
                hero && pawn ? Tr("the hero and the pawn walk through this wall: a step up or down tests only the left "
                                  "cell of the two it moves into")
                : hero       ? Tr("the hero walks through this wall: a step up or down tests only the left cell of the "
                                  "two it moves into")
                             : Tr("the pawn walks through this wall: a step up or down tests only the left cell of the "
                                  "two it moves into");
            findings.Add(Field_Map_File, Cell_At(map, x + 1, y), Severity::Warning, message);
        }
    }
    if (folded > 0) {
        findings.Add(Field_Map_File, first_folded, Severity::Note,
                     Format(Tr_Plural("so the hero walks through %ld wall, the first here: a step up or down tests "
                                      "only the left cell of the two it moves into",
                                      "so the hero walks through %ld walls, the first here: a step up or down tests "
                                      "only the left cell of the two it moves into",
                                      folded),
                            folded));
    }
}

void Report_Causes(Findings& findings, const Map_Causes& causes, bool utf8) {
    const auto add = [&](Position at, std::string message) {
        findings.Add(Field_Map_File, at, Severity::Warning, std::move(message));
        findings.list.back().utf8 = utf8;
    };
    if (causes.full_width_spaces > 0) {
        add(causes.first_space,
            Format(Tr("a full-width space (bytes 0x81 0x40) is a wall to the game, not open ground, which only a "
                      "half-width space is; full-width spaces in the map: %ld, the first here; console-rpg-check --fix "
                      "makes each two half-width spaces"),
                   causes.full_width_spaces));
    }
    if (causes.short_lines == 1) {
        add(causes.first_short,
            Format(Tr("line %ld has 52 bytes before its line end, one short of 53 (as 26 full-width characters are): "
                      "every later cell moves 1 to the left; console-rpg-check --fix gives it a space before its line "
                      "end"),
                   causes.first_short_line));
    } else if (causes.short_lines > 1) {
        add(causes.first_short,
            Format(Tr("%ld lines, from line %ld to line %ld, have 52 bytes before their line end, one short of 53 (as "
                      "26 full-width characters are): each moves every later cell 1 more to the left; "
                      "console-rpg-check --fix gives each a space before its line end"),
                   causes.short_lines, causes.first_short_line, causes.last_short_line));
    }
    if (causes.last_line_unended) {
        add(causes.last_line_end,
            Format(Tr("line %ld, the last the game reads, has %ld bytes and no line end: the game reads 19 lines of 53 "
                      "bytes and a line end each, so the cells after it lie past the map's end and show as ?; "
                      "console-rpg-check --fix ends the line"),
                   causes.last_line_end.line, causes.last_line_end.column - 1));
    }
    if (causes.ambiguous > 0) {
        add(causes.first_ambiguous,
            Format(Tr("%s: one column wide in some terminals (xterm without -cjk_width, tmux and GNU screen by "
                      "default), leaving a gap beside each; such characters in the map: %ld, the first here; %s or "
                      "kanji are two columns everywhere"),
                   causes.ambiguous_kinds.c_str(), causes.ambiguous, Wide_Everywhere));
    }
}

}  // namespace

Map_Causes Causes_In(std::string_view map) {
    constexpr size_t Most_Kinds_Named = 4;
    Map_Causes causes;
    Position at;
    size_t line_start = 0;
    for (size_t i = 0; i < map.size() && at.line <= Field_Rows;) {
        const auto byte = static_cast<uint8_t>(map[i]);
        if (byte == '\n') {
            const size_t end = i > line_start && map[i - 1] == '\r' ? i - 1 : i;  // text mode drops the CR
            if (end - line_start == static_cast<size_t>(Line_Bytes - 1)) {
                if (causes.short_lines++ == 0) {
                    causes.first_short_line = at.line;
                    causes.first_short = {at.line, static_cast<long>(end - line_start) + 1};
                }
                causes.last_short_line = at.line;
            }
            ++at.line;
            at.column = 1;
            line_start = ++i;
            continue;
        }
        const bool pair = platform::Is_Cp932_Lead(byte) && i + 1 < map.size() &&
                          platform::Is_Cp932_Trail(static_cast<uint8_t>(map[i + 1]));
        if (!pair) {
            ++i;
            ++at.column;
            continue;
        }
        const auto trail = static_cast<uint8_t>(map[i + 1]);
        if (byte == 0x81 && trail == 0x40 && causes.full_width_spaces++ == 0) causes.first_space = at;
        if (Is_Ambiguous_Width(byte, trail)) {
            if (causes.ambiguous++ == 0) causes.first_ambiguous = at;
            const std::string_view kind = map.substr(i, 2);
            std::string_view kinds = causes.ambiguous_kinds;
            bool named = false;
            for (size_t k = 0; k < kinds.size(); k += 3) named = named || kinds.substr(k, 2) == kind;
            if (!named && kinds.size() < 3 * Most_Kinds_Named) {
                if (!kinds.empty()) causes.ambiguous_kinds += ' ';
                causes.ambiguous_kinds += kind;
            }
        }
        i += 2;
        at.column += 2;
    }
    const size_t last_length = map.size() - std::min(line_start, map.size());
    if (at.line == Field_Rows && (last_length == Line_Bytes - 1 || last_length == Line_Bytes)) {
        causes.last_line_unended = true;
        causes.last_line_end = {at.line, static_cast<long>(last_length) + 1};
    }
    return causes;
}

bool Check_Map_File(Findings& findings, Map_Reading& map) {
    Text_File text;
    if (!Open_Text_File(text, findings.Path(Field_Map_File).c_str())) return false;
    Read_Field_Map(text);
    map.cells_read = 0;
    while (map.cells_read < Field_Cells && Cell(map.cells_read) != Past_End_Cell) ++map.cells_read;
    const bool ended_at_ctrl_z = text.ended_at_ctrl_z && map.cells_read < Field_Cells;
    const Map_Rest rest = Rest_Of(text);
    const std::string bytes = First_Bytes(text.file, std::min(File_Size(text.file), Most_Bytes_Looked_At));
    Close_Text_File(text);

    Place_Cells(map);
    const Text_Encoding encoding = Encoding_Of(bytes);
    map.garbled = encoding.bom || encoding.utf8_at != std::string_view::npos;
    // What the author meant is found in the map as it will be in code page 932.
    std::string meant = bytes;
    bool decoded = false;
    if (encoding.utf8_at != std::string_view::npos) {
        map.garbled_at = Position_Of(bytes, static_cast<long>(encoding.utf8_at));
        if (findings.unicode != nullptr) {
            map.garbled_at = Screen_Position(findings.Path(Field_Map_File), map.garbled_at, *findings.unicode);
            meant = Cp932_From_Utf8(std::string_view(bytes).substr(encoding.bom ? Utf8_Bom.size() : 0),
                                    *findings.unicode).bytes;
            decoded = true;
        }
        findings.utf8_files.push_back({Field_Map_File, map.garbled_at, encoding.bom, findings.list.size()});
    } else if (encoding.bom) {
        findings.Add(Field_Map_File, Position{}, Severity::Warning,
                     Tr("the file starts with a UTF-8 byte-order mark (0xEF 0xBB 0xBF): the game reads its 3 bytes "
                        "as the first cells, and every later cell moves 3 to the right; save the map without it"));
    }
    Map_Causes causes;
    if (!map.garbled || decoded) causes = Causes_In(meant);
    Report_Causes(findings, causes, decoded);
    map.fixable = causes.full_width_spaces > 0 || causes.short_lines > 0 || causes.last_line_unended;
    if (!map.garbled && map.fixable) {
        map.garbled_at = causes.full_width_spaces > 0 ? causes.first_space
                         : causes.short_lines > 0     ? causes.first_short
                                                      : causes.last_line_end;
    }
    // What follows from an encoding or from those causes is not told cell by
    // cell: only counted, once the field has been looked at too (see Check_Field).
    Findings told{findings.folder, {}, findings.unicode, {}};
    Findings& into = map.garbled || map.fixable ? told : findings;
    Report_Line_Lengths(map.garbled ? told : findings, map, causes.short_lines > 0);
    Report_Placeholders(into, map);
    Report_Size(into, map, ended_at_ctrl_z, rest);
    map.left_out = Warnings_In(told);
    return true;
}

Reach Reach_From(uint16_t x, uint16_t y) {
    Reach reach;
    reach.count = 1;
    if (!Inside(x, y)) return reach;  // every step from there is refused
    std::vector<Monster_Status_Info> waiting;
    Monster_Status_Info start{};
    start.x = x;
    start.y = y;
    reach.reached[y][x] = true;
    waiting.push_back(start);
    while (!waiting.empty()) {
        const Monster_Status_Info here = waiting.back();
        waiting.pop_back();
        for (const int code : {Code_Up, Code_Down, Code_Left, Code_Right}) {
            if (Can_Monster_Move(code, here) == 0) continue;
            Monster_Status_Info there = here;
            Take_Step(there, code);
            reach.entered[there.y][there.x] = true;
            if (reach.reached[there.y][there.x]) continue;
            reach.reached[there.y][there.x] = true;
            ++reach.count;
            waiting.push_back(there);
        }
    }
    return reach;
}

void Check_Field(Findings& all, const Map_Reading& map, const Hero_Status_Info* hero, Position hero_start_at,
                 Field_Walk& walk) {
    // A map in another encoding makes a field of noise: what it would show
    // is counted with what the map's reading showed, in one note.
    Findings told{all.folder, {}, all.unicode, {}};
    Findings& findings = map.garbled || map.fixable ? told : all;
    for (const int column : {int{Pawn_Start_X}, Pawn_Start_X + 1}) {
        if (!Blocks(column, Pawn_Start_Y)) continue;
        findings.Add(Field_Map_File, Cell_At(map, column, Pawn_Start_Y), Severity::Warning,
                     Format(Tr("the pawn's fixed start, %s, is on a wall"), At(Pawn_Start_X, Pawn_Start_Y).c_str()));
        break;
    }
    walk.pawn = Reach_From(Pawn_Start_X, Pawn_Start_Y);
    if (hero != nullptr) {
        walk.hero = Reach_From(hero->x, hero->y);
        Report_Hero_Start(findings, map, *hero, hero_start_at);
        Report_Reach(findings, map, *hero, walk);
    }
    Report_Walls_Walked_Through(findings, map, walk, hero != nullptr, hero != nullptr && Odd_Start(*hero));
    const long left_out = map.left_out + Warnings_In(told);
    if ((map.garbled || map.fixable) && left_out > 0) {
        all.Add(Field_Map_File, map.garbled_at, Severity::Note,
                Format(Tr("warnings on this field left out as they follow from that: %ld; console-rpg-check --fix "
                          "mends the map, then check it again"),
                       left_out));
    }
}

std::vector<std::string> Drawn_Field(const Hero_Status_Info* hero, const Monster_Status_Info& pawn,
                                     const Reach& hero_reach, std::string_view hero_glyph) {
    std::vector<std::string> rows(Field_Rows, std::string(Field_Columns, ' '));
    for (int y = 0; y < Field_Rows; ++y) {
        for (int x = 0; x < Field_Columns; ++x) {
            const int32_t cell = Field_Map[y][x];
            // A line feed moves the cursor and draws nothing.
            rows[y][x] = static_cast<char>(cell == '\n' ? ' ' : Drawn_Byte(cell));
            if (hero != nullptr && hero_reach.reached[y][x]) rows[y][x] = '.';
        }
    }
    const auto draw = [&](int x, int y, std::string_view glyph) {
        if (!Inside(x, y)) return;
        for (size_t i = 0; i < glyph.size() && x + static_cast<int>(i) < Field_Columns; ++i) rows[y][x + i] = glyph[i];
    };
    if (hero != nullptr) draw(hero->x, hero->y, hero_glyph);
    draw(Pawn_Start_X, Pawn_Start_Y, Text_Of(pawn.glyph));
    return rows;
}
