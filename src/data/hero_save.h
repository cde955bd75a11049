// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Writing the hero back to its status file, in the layout the loader reads.

// Returns 1 when the hero file now holds the hero as it stands. Returns 0,
// leaving the old file as it was and no other file behind, when any step
// fails (the directory cannot be written, the disk is full, the name is taken
// by a directory) or when the hero's name would not read back as itself:
// empty, unterminated, or holding white space or a Ctrl+Z byte.
int Save_Hero_Status();
