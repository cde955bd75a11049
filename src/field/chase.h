// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The monster's chase of the hero.

#include "data/records.h"

// 13 times: serve one key, then pause 10 ms. The hero keeps moving meanwhile.
void Wait_Ticks();

// Moves the monster toward the hero, a step per wait, preferring horizontal
// steps; keeps making passes while keys are waiting at the end of each.
void Chase_Hero(Monster_Status_Info& monster);
