// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "shell/game.h"

// The game takes no arguments and reads no configuration: everything comes
// from the status files and the map in the working directory.
int main() { Run_Game(); }
