// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The one place a waiting key code reaches the hero. The field loop, the
// chase's waits and the end of each chase pass all serve keys through here,
// so a key does the same wherever the game happens to be when it arrives.

// Takes one waiting key code, if any, and hands it to Move_Hero; true when a
// code was taken. One code a call: an arrow key (a prefix, then its direction
// code) is served over two calls, and its prefix moves nothing.
bool Poll_Key();
