// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "tr.h"

#include <cstdlib>
#include <cstring>

#if CONSOLE_RPG_GETTEXT
#include <libintl.h>

#include <clocale>
#include <filesystem>
#include <system_error>
#else
#include <algorithm>
#include <iterator>

#include "catalog_tables.h"
#endif

namespace {

constexpr const char* Domain = "console-rpg";

bool started = false;
bool english_only = false;
bool translates = false;

#if CONSOLE_RPG_GETTEXT

// The catalogs of a build tree lie beside its programs, in locale/; an
// installed program finds them in share/locale under its own prefix, wherever
// that was put (`cmake --install --prefix`), else where the build says.
std::string Catalog_Folder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path folder = program.parent_path();
        for (const std::filesystem::path& candidate :
             {folder / "locale", folder / CONSOLE_RPG_LOCALEDIR_FROM_PROGRAM}) {
            if (std::filesystem::is_directory(candidate, error)) return candidate.lexically_normal().string();
        }
    }
    return CONSOLE_RPG_LOCALEDIR;
}

const char* Translated(const char* english) { return dgettext(Domain, english); }

const char* Translated_Plural(const char* singular, const char* plural, long count) {
    return dngettext(Domain, singular, plural, static_cast<unsigned long>(count < 0 ? -count : count));
}

#else

const Catalog* chosen = nullptr;

// "ja_JP.UTF-8@variant" names the language ja_JP, and falls back to ja.
const Catalog* Catalog_For(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    for (const std::string_view language : {name, name.substr(0, name.find('_'))}) {
        for (const Catalog& catalog : Catalogs) {
            if (!language.empty() && language == catalog.language) return &catalog;
        }
    }
    return nullptr;
}

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

void Choose(std::string_view ui_language) {
    const char* locale = Variable("LC_ALL");
    if (locale == nullptr) locale = Variable("LC_MESSAGES");
    if (locale == nullptr) locale = Variable("LANG");
    const std::string_view language = locale != nullptr ? std::string_view(locale) : ui_language;
    // As with gettext, LANGUAGE is a list of languages to try first, and the
    // C locale speaks the sources' English whatever it says.
    if (language.empty() || language == "C" || language == "POSIX") return;
    if (const char* list = Variable("LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty() && chosen == nullptr) {
            chosen = Catalog_For(rest.substr(0, rest.find(':')));
            rest = rest.find(':') == std::string_view::npos ? std::string_view() : rest.substr(rest.find(':') + 1);
        }
    }
    if (chosen == nullptr) chosen = Catalog_For(language);
}

const Catalog_Entry* Entry_For(const char* english) {
    if (chosen == nullptr) return nullptr;
    const Catalog_Entry* end = chosen->entries + chosen->count;
    const Catalog_Entry* found = std::lower_bound(
        chosen->entries, end, english, [](const Catalog_Entry& entry, const char* wanted) {
            return std::strcmp(entry.english, wanted) < 0;
        });
    return found != end && std::strcmp(found->english, english) == 0 ? found : nullptr;
}

const char* Translated(const char* english) {
    const Catalog_Entry* entry = Entry_For(english);
    return entry != nullptr ? entry->forms[0] : english;
}

const char* Translated_Plural(const char* singular, const char* plural, long count) {
    const Catalog_Entry* entry = Entry_For(singular);
    if (entry == nullptr) return count == 1 ? singular : plural;
    // The tables hold languages of one form, or of two as English's (see
    // tools/i18n/catalog_tables.py).
    return entry->forms[chosen->forms == 1 || count == 1 ? 0 : 1];
}

#endif

}  // namespace

void Tr_Start(std::string_view ui_language) {
    started = true;
#if CONSOLE_RPG_GETTEXT
    (void)ui_language;  // the locale says it all
    (void)std::setlocale(LC_ALL, "");
    // Numbers are written the same in every language: tools read them.
    (void)std::setlocale(LC_NUMERIC, "C");
    (void)bindtextdomain(Domain, Catalog_Folder().c_str());
    (void)bind_textdomain_codeset(Domain, "CP932");
    // The catalog's header is the translation of "": there is none without a catalog.
    translates = Translated("")[0] != '\0';
#else
    Choose(ui_language);
    translates = chosen != nullptr;
#endif
}

void Tr_Use_English(bool english) { english_only = english; }

bool Tr_Translates() { return translates && !english_only; }

const char* Tr(const char* english) {
    if (!started || english_only || english[0] == '\0') return english;
    return Translated(english);
}

const char* Tr_Plural(const char* singular, const char* plural, long count) {
    if (!started || english_only) return count == 1 ? singular : plural;
    return Translated_Plural(singular, plural, count);
}

std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string filled;
    size_t next = 0;  // the value a bare %s takes
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 >= text.size()) {
            filled += text[i];
            continue;
        }
        if (text[i + 1] == '%') {
            filled += '%';
            ++i;
            continue;
        }
        size_t number = 0;
        size_t end = i + 1;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            number = number * 10 + static_cast<size_t>(text[end] - '0');
            ++end;
        }
        size_t index = next;
        if (end > i + 1 && end < text.size() && text[end] == '$') {
            index = number - 1;
            ++end;
        } else {
            end = i + 1;
            ++next;
        }
        if (end < text.size() && text[end] == 's' && index < values.size()) {
            filled += *(values.begin() + index);
            i = end;
        } else {
            filled += text[i];  // not a conversion of ours: kept as written
        }
    }
    return filled;
}
