// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// Marks a text a person reads, for translation.
inline const char* Tr(const char* english) { return english; }
