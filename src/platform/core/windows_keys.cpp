// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/windows_keys.h"

#include <array>
#include <cstddef>

namespace platform {

namespace {

// The second code of a key, by the modifier held.
struct Second_Codes {
    uint8_t plain;
    uint8_t shift;
    uint8_t ctrl;
    uint8_t alt;
};

struct Key_Row {
    uint8_t prefix;      // with no modifier, Shift or Ctrl
    uint8_t alt_prefix;  // with Alt
    Second_Codes codes;
};

// The prefix of the keys the 101-key keyboard added: the separate block of
// cursor keys (gray on the first such keyboards) and F11, F12. The other keys,
// and the cursor block held with Alt, give the prefix 0.
constexpr uint8_t Enhanced_Key_Prefix = 224;

// By row: the prefix, the prefix with Alt, then the second code plain, with
// Shift, with Ctrl and with Alt.
constexpr std::array<Key_Row, 23> Key_Rows = {{
    {Enhanced_Key_Prefix, 0, {72, 72, 141, 152}},                       // Up
    {Enhanced_Key_Prefix, 0, {80, 80, 145, 160}},                       // Down
    {Enhanced_Key_Prefix, 0, {77, 77, 116, 157}},                       // Right
    {Enhanced_Key_Prefix, 0, {75, 75, 115, 155}},                       // Left
    {Enhanced_Key_Prefix, 0, {71, 71, 119, 151}},                       // Home
    {Enhanced_Key_Prefix, 0, {79, 79, 117, 159}},                       // End
    {Enhanced_Key_Prefix, 0, {73, 73, 134, 153}},                       // Page Up
    {Enhanced_Key_Prefix, 0, {81, 81, 118, 161}},                       // Page Down
    {Enhanced_Key_Prefix, 0, {82, 82, 146, 162}},                       // Insert
    {Enhanced_Key_Prefix, 0, {83, 83, 147, 163}},                       // Delete
    {0, 0, {59, 84, 94, 104}},                                          // F1
    {0, 0, {60, 85, 95, 105}},                                          // F2
    {0, 0, {61, 86, 96, 106}},                                          // F3
    {0, 0, {62, 87, 97, 107}},                                          // F4
    {0, 0, {63, 88, 98, 108}},                                          // F5
    {0, 0, {64, 89, 99, 109}},                                          // F6
    {0, 0, {65, 90, 100, 110}},                                         // F7
    {0, 0, {66, 91, 101, 111}},                                         // F8
    {0, 0, {67, 92, 102, 112}},                                         // F9
    {0, 0, {68, 93, 103, 113}},                                         // F10
    {Enhanced_Key_Prefix, Enhanced_Key_Prefix, {133, 135, 137, 139}},   // F11
    {Enhanced_Key_Prefix, Enhanced_Key_Prefix, {134, 136, 138, 140}},   // F12
    {0, 0, {15, 15, 148, 15}},                                          // Shift+Tab
}};

}  // namespace

Key_Modifiers Modifiers_From_Parameter(int parameter) {
    Key_Modifiers modifiers;
    if (parameter < 2 || parameter > 16) return modifiers;
    const int bits = parameter - 1;
    modifiers.shift = (bits & 1) != 0;
    modifiers.alt = (bits & 2) != 0 || (bits & 8) != 0;
    modifiers.ctrl = (bits & 4) != 0;
    return modifiers;
}

Key_Pair Windows_Key(Special_Key key, Key_Modifiers modifiers) {
    const Key_Row& row = Key_Rows[static_cast<std::size_t>(key)];
    if (modifiers.alt) return {row.alt_prefix, row.codes.alt};
    if (modifiers.ctrl) return {row.prefix, row.codes.ctrl};
    if (modifiers.shift) return {row.prefix, row.codes.shift};
    return {row.prefix, row.codes.plain};
}

}  // namespace platform
