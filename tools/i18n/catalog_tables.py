#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Turns gettext catalogs (po/LANGUAGE.po) into a C++ header of tables, for the builds
that have no gettext (Windows, the page): catalog_tables.py OUT.h po/ja.po ...

Each catalog becomes its translated entries sorted by their English, the translations in
code page 932 as the checker builds its messages. Fuzzy and untranslated entries are left
out, so their English shows, as gettext does. A language must have one plural form, or two
as English has (plural=(n != 1)): the programs know no other rule."""

import os
import re
import sys


def unquote(text, where):
    if not (text.startswith('"') and text.endswith('"')):
        sys.exit("%s: expected a quoted string" % where)
    escapes = {"n": "\n", "t": "\t", '"': '"', "\\": "\\", "r": "\r", "a": "\a"}
    out, i, body = [], 0, text[1:-1]
    while i < len(body):
        if body[i] == "\\":
            if body[i + 1] not in escapes:
                sys.exit("%s: unknown escape \\%s" % (where, body[i + 1]))
            out.append(escapes[body[i + 1]])
            i += 2
        else:
            out.append(body[i])
            i += 1
    return "".join(out)


def entries(path):
    """Each entry of the catalog as (flags, msgid, msgid_plural, {index: msgstr})."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    entry, key, flags = None, None, set()
    found = []

    def close():
        if entry is not None:
            found.append(entry)

    for number, line in enumerate(lines, 1):
        where = "%s:%d" % (path, number)
        line = line.strip()
        if line.startswith("#~") or not line:
            continue
        if line.startswith("#,"):
            flags = {flag.strip() for flag in line[2:].split(",")}
            continue
        if line.startswith("#"):
            continue
        match = re.match(r'(msgid|msgid_plural|msgstr|msgstr\[(\d+)\]|msgctxt)\s+(".*")$', line)
        if match:
            word = match.group(1)
            if word == "msgctxt":
                sys.exit("%s: contexts are not used here" % where)
            if word == "msgid":
                close()
                entry = {"flags": flags, "msgid": "", "plural": None, "strs": {}}
                flags = set()
                key = ("msgid",)
            elif word == "msgid_plural":
                entry["plural"] = ""
                key = ("plural",)
            else:
                key = ("strs", int(match.group(2) or 0))
            text = unquote(match.group(3), where)
        elif line.startswith('"') and entry is not None:
            text = unquote(line, where)
        else:
            sys.exit("%s: not understood: %s" % (where, line))
        if key[0] == "strs":
            entry["strs"][key[1]] = entry["strs"].get(key[1], "") + text
        else:
            entry[key[0]] += text
    close()
    return found


def c_string(data):
    """Bytes as a C string literal: printable ASCII as it is, everything else in octal."""
    out = []
    for byte in data:
        char = chr(byte)
        if char in '"\\' or not (0x20 <= byte < 0x7F) or char == "?":  # ? starts no trigraph
            out.append("\\%03o" % byte)
        else:
            out.append(char)
    return '"' + "".join(out) + '"'


def plural_forms(header, path):
    match = re.search(r"Plural-Forms:\s*nplurals\s*=\s*(\d+)\s*;\s*plural\s*=\s*([^;\n]*)", header)
    if not match:
        return 2
    count, rule = int(match.group(1)), match.group(2).replace(" ", "")
    if count == 1 or (count == 2 and rule in ("(n!=1)", "n!=1")):
        return count
    sys.exit("%s: plural rule %s is not one the programs know" % (path, match.group(2)))


def main():
    out, paths = sys.argv[1], sys.argv[2:]
    catalogs = []
    for path in sorted(paths):
        language = os.path.splitext(os.path.basename(path))[0]
        rows, forms = [], 2
        for entry in entries(path):
            if entry["msgid"] == "":
                forms = plural_forms(entry["strs"].get(0, ""), path)
                continue
            strs = [entry["strs"].get(i, "") for i in range(forms if entry["plural"] is not None else 1)]
            if "fuzzy" in entry["flags"] or not all(strs):
                continue
            try:
                translated = [s.encode("cp932") for s in strs]
            except UnicodeEncodeError as error:
                sys.exit("%s: %r has no code page 932 form (%s)" % (path, entry["msgid"], error))
            rows.append((entry["msgid"].encode("utf-8"), translated + translated[-1:] * (2 - len(translated))))
        rows.sort()
        catalogs.append((language, forms, rows))
    text = ["// Made by tools/i18n/catalog_tables.py from the catalogs in po/: edit those, not this.",
            "#pragma once", "#include <cstddef>", "",
            "struct Catalog_Entry {", "    const char* english;", "    const char* forms[2];", "};",
            "struct Catalog {", "    const char* language;", "    int forms;",
            "    const Catalog_Entry* entries;", "    size_t count;", "};", ""]
    for language, forms, rows in catalogs:
        text.append("inline constexpr Catalog_Entry Entries_%s[] = {" % language.replace("@", "_"))
        for english, translated in rows:
            text.append("    {%s, {%s, %s}}," % (c_string(english), c_string(translated[0]), c_string(translated[1])))
        if not rows:
            text.append('    {"", {"", ""}},')
        text.append("};")
    text.append("inline constexpr Catalog Catalogs[] = {")
    for language, forms, rows in catalogs:
        text.append('    {"%s", %d, Entries_%s, %d},' % (language, forms, language.replace("@", "_"), len(rows)))
    if not catalogs:
        text.append('    {"", 1, nullptr, 0},')
    text.append("};")
    new = "\n".join(text) + "\n"
    # Left alone when unchanged, so that nothing is rebuilt for nothing.
    if not os.path.exists(out) or open(out, encoding="utf-8").read() != new:
        with open(out, "w", encoding="utf-8") as f:
            f.write(new)


if __name__ == "__main__":
    main()
