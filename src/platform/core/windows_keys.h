// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The key codes the Windows runtime's _getch gives for the keys that have no
// character: a prefix (0 or 224) and a second code that depends on the key and
// on the modifier held. With Alt, Ctrl or Shift held together, Alt counts
// first, then Ctrl, then Shift, as the runtime does; Shift changes nothing for
// the arrows and the keys above them, so Shift+Up is the plain Up (224, 72).

#include <cstdint>

namespace platform {

enum class Special_Key : uint8_t {
    Up, Down, Right, Left, Home, End, Page_Up, Page_Down, Insert, Delete,
    F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
    Back_Tab,
};

// The modifier bits of the xterm convention: the parameter is 1 + the bits.
struct Key_Modifiers {
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
};

// 1 + shift(1) + alt(2) + ctrl(4) + meta(8); meta counts as Alt. Anything out
// of range counts as no modifier.
Key_Modifiers Modifiers_From_Parameter(int parameter);

struct Key_Pair {
    uint8_t prefix;
    uint8_t code;
};

Key_Pair Windows_Key(Special_Key key, Key_Modifiers modifiers);

}  // namespace platform
