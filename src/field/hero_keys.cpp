// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "field/hero_keys.h"

#include "field/walking.h"
#include "platform/platform.h"

bool Poll_Key() {
    if (!platform::Key_Waiting()) return false;
    Move_Hero(platform::Take_Key());
    return true;
}
