#include "platform/core/windows_keys.h"

#include <array>
#include <cstddef>

namespace platform {

namespace {

// Second codes without a modifier, with Shift, with Ctrl and with Alt.
struct Key_Row {
    uint8_t prefix;      // with no modifier, Shift or Ctrl
    uint8_t alt_prefix;  // with Alt
    std::array<uint8_t, 4> codes;
};

constexpr uint8_t Gray = 224;

constexpr std::array<Key_Row, 23> Key_Rows = {{
    {Gray, 0, {72, 72, 141, 152}},   // Up
    {Gray, 0, {80, 80, 145, 160}},   // Down
    {Gray, 0, {77, 77, 116, 157}},   // Right
    {Gray, 0, {75, 75, 115, 155}},   // Left
    {Gray, 0, {71, 71, 119, 151}},   // Home
    {Gray, 0, {79, 79, 117, 159}},   // End
    {Gray, 0, {73, 73, 134, 153}},   // Page Up
    {Gray, 0, {81, 81, 118, 161}},   // Page Down
    {Gray, 0, {82, 82, 146, 162}},   // Insert
    {Gray, 0, {83, 83, 147, 163}},   // Delete
    {0, 0, {59, 84, 94, 104}},       // F1
    {0, 0, {60, 85, 95, 105}},       // F2
    {0, 0, {61, 86, 96, 106}},       // F3
    {0, 0, {62, 87, 97, 107}},       // F4
    {0, 0, {63, 88, 98, 108}},       // F5
    {0, 0, {64, 89, 99, 109}},       // F6
    {0, 0, {65, 90, 100, 110}},      // F7
    {0, 0, {66, 91, 101, 111}},      // F8
    {0, 0, {67, 92, 102, 112}},      // F9
    {0, 0, {68, 93, 103, 113}},      // F10
    {Gray, Gray, {133, 135, 137, 139}},  // F11
    {Gray, Gray, {134, 136, 138, 140}},  // F12
    {0, 0, {15, 15, 148, 15}},       // Shift+Tab
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
    if (modifiers.alt) return {row.alt_prefix, row.codes[3]};
    if (modifiers.ctrl) return {row.prefix, row.codes[2]};
    if (modifiers.shift) return {row.prefix, row.codes[1]};
    return {row.prefix, row.codes[0]};
}

}  // namespace platform
