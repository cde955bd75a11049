// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// The language of the programs beside the game. Every text a person reads is
// written in English in the sources, marked with Tr (xgettext's keyword), and
// translated by the gettext catalogs in po/: through glibc's gettext where
// there is one, from tables made of the same catalogs at build time where
// there is none (Windows, the page).
//
// A translation comes back in code page 932, as every message of the checker
// is built (cp932_text.h), and reaches the terminal in its own character set
// through Shown like the data's names. Text that has no translation, or any
// text before Tr_Start, is the English itself.

#include <initializer_list>
#include <string>
#include <string_view>

// The message in the user's language.
const char* Tr(const char* english);

// The form for `count` of a message whose English has a singular and a
// plural (xgettext's keyword Tr_Plural:1,2).
const char* Tr_Plural(const char* singular, const char* plural, long count);

// A template's %s replaced by the values in turn, or %1$s, %2$s... by the
// value of that number, so that a translation may put them in its own order;
// %% is a percent sign. Each value is put in as it is.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values);

// Chooses the language once, at start-up, as GNU programs do: from LANGUAGE,
// LC_ALL, LC_MESSAGES and LANG; where none of the last three is set, from
// `ui_language` ("ja_JP", the user's language on Windows; may be empty).
// On glibc this also sets the program's locale from the environment.
void Tr_Start(std::string_view ui_language);

// True while messages come out in English whatever the language (for tools:
// JSON's "message"); false to speak the user's language again.
void Tr_Use_English(bool english);

// Whether the language chosen is other than English: whether Tr may give
// anything but its argument.
bool Tr_Translates();
