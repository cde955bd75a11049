// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "field/chase.h"

#include <cmath>

#include "field/hero_keys.h"
#include "field/walking.h"
#include "platform/platform.h"

namespace {

constexpr int Ticks_Per_Wait = 13;
constexpr int Tick_Ms = 10;

// A refused horizontal step turns into one row toward the hero.
void Step_Vertically_Toward(Monster_Status_Info& monster, int16_t dy) {
    if (dy > 0) {
        Monster_Step_Up(monster);
    } else if (dy < 0) {
        Monster_Step_Down(monster);
    }
}

// A refused vertical step turns into one column pair toward the hero.
void Step_Horizontally_Toward(Monster_Status_Info& monster, int16_t dx) {
    if (dx > 0) {
        Monster_Step_Left(monster);
    } else if (dx < 0) {
        Monster_Step_Right(monster);
    }
}

// Rows owed for the columns walked: dy / half * steps in double precision,
// the division first, truncated toward zero to 32 bits and kept to 16. Less
// than one step apart (half = 0) gives no finite value and owes nothing.
int16_t Rows_Owed(int16_t dx, int16_t dy, int16_t steps) {
    if (dx == 0) return static_cast<int16_t>(-dy);
    const int16_t half = static_cast<int16_t>(dx / 2);
    if (half == 0) return 0;  // the quotient would not be a finite number
    const double owed = static_cast<double>(dy) / static_cast<double>(half) * steps;
    // |dy| and |steps| stay within 2^15, so the value fits 32 bits.
    return static_cast<int16_t>(static_cast<int32_t>(std::trunc(owed)));
}

}  // namespace

void Wait_Ticks() {
    for (int tick = 0; tick < Ticks_Per_Wait; ++tick) {
        Poll_Key();
        platform::Pause_Ms(Tick_Ms);
    }
}

void Chase_Hero(Monster_Status_Info& monster) {
    int16_t steps = 0;
    int16_t dx = 0;
    int16_t dy = 0;
    for (;;) {
        // The pass aims at where the hero stands now; keys served during its
        // wait move the hero, but only the next pass takes that into account.
        dx = static_cast<int16_t>(monster.x - hero.x);
        dy = static_cast<int16_t>(monster.y - hero.y);
        if (dx > 0) {
            Wait_Ticks();
            if (Monster_Step_Left(monster) == 0) Step_Vertically_Toward(monster, dy);
            steps = static_cast<int16_t>(steps - 1);
        } else if (dx < 0) {
            Wait_Ticks();
            if (Monster_Step_Right(monster) == 0) Step_Vertically_Toward(monster, dy);
            steps = static_cast<int16_t>(steps + 1);
        }
        // A key still waiting as the pass ends is served and earns another pass.
        if (!Poll_Key()) break;
    }
    if (dy == 0) return;

    const int16_t quota = Rows_Owed(dx, dy, steps);
    if (dy > 0 && quota <= -1) {
        Wait_Ticks();
        if (Monster_Step_Up(monster) == 0) Step_Horizontally_Toward(monster, dx);
    } else if (dy < 0 && quota >= 1) {
        Wait_Ticks();
        if (Monster_Step_Down(monster) == 0) Step_Horizontally_Toward(monster, dx);
    }
}
