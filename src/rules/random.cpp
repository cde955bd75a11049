// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "rules/random.h"

namespace {
uint32_t random_state = 1;  // the runtime's state before any seeding
}

void Seed_Random(uint32_t seed) { random_state = seed; }

int Next_Random() {
    random_state = random_state * 214013u + 2531011u;
    return static_cast<int>((random_state >> 16) & 0x7FFFu);
}
