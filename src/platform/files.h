// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The file services the game reads its data and saves the hero through. They
// follow the operating system, not the console: files/posix.cpp serves them on
// POSIX systems (the terminal, the scripted console of the tests and the web
// page, whose files Emscripten keeps in memory), files/windows.cpp on Windows.

#include <cstddef>
#include <cstdio>
#include <span>

namespace platform {

// Opens a data file for reading in binary, only when the name leads (through
// any links) to a regular file. Null for anything else: a missing or
// unreadable file, a directory, and also a FIFO, a device or a socket, which
// would block the game or feed it endless bytes.
std::FILE* Open_Data_File(const char* name);

// Saving a file so that a crash, a full disk or a failed write never leaves it
// half written: write a new file beside it, flush it to the device, then put
// it in the old one's place in one step.

// The longest path the save handles.
inline constexpr size_t Path_Capacity = 4096;

// The path of the file that `name` leads to through any symbolic links (the
// name itself when it is no link), so that a save replaces the file a link
// names and the link stays a link. A link to nothing leads to where its file
// would be. False for a loop of links or a path too long for `path`.
bool Resolve_Links(const char* name, std::span<char> path);

// Creates the file a save writes before it takes `target`'s place: beside
// `target`, under a name no other file has (never through a link planted
// there), with `target`'s permission bits and, where the system allows, its
// owner and group. Files left beside `target` by saves that were interrupted
// are removed first, never one that a running save is still writing. Its name
// goes to `name`. Null when it cannot be made.
std::FILE* Create_Replacement_File(const char* target, std::span<char> name);

// Writes the stream's buffer and has the system put the file's data on the
// device (fsync, _commit). False when either step fails.
bool Flush_File_To_Disk(std::FILE* file);

// Puts the closed file `from` in the place of `to`, replacing any file of that
// name in one step: a reader sees the old file or the whole new one, never a
// mix. False when it cannot be done (for example when `to` is a directory);
// both names are then as they were.
bool Replace_File(const char* from, const char* to);

}  // namespace platform
