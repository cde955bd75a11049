// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The game's random numbers: the classic Windows runtime generator, in our own
// code so that a seed gives the same sequence on every platform.

#include <cstdint>

inline constexpr int Random_Max = 32767;

void Seed_Random(uint32_t seed);

// 0 to 32767: bits 16 to 30 of the advanced state.
int Next_Random();
