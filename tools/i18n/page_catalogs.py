#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Makes the page's messages.js from the gettext catalogs (po/LANGUAGE.po):
page_catalogs.py OUT.js page.js po/ja.po ...

The page's own messages are those page.js marks with tr() and trPlural(), as
xgettext finds them; each catalog gives their translations, read as
catalog_tables.py reads them for the programs (fuzzy and untranslated entries
left out, so their English shows). The result sets self.consoleRpgCatalogs to
{LANGUAGE: {forms, messages: {english: text, or [forms] for a plural}}}."""

import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from catalog_tables import entries, plural_forms  # noqa: E402


def page_messages(script):
    with tempfile.TemporaryDirectory() as work:
        template = os.path.join(work, "page.pot")
        subprocess.run(["xgettext", "-o", template, "--from-code=UTF-8", "-L", "JavaScript", "--keyword=tr",
                        "--keyword=trPlural:1,2", "--force-po", script], check=True)
        return {entry["msgid"] for entry in entries(template) if entry["msgid"]}


def main():
    out, script, paths = sys.argv[1], sys.argv[2], sys.argv[3:]
    wanted = page_messages(script)
    catalogs = {}
    for path in sorted(paths):
        language = os.path.splitext(os.path.basename(path))[0]
        forms, messages = 2, {}
        for entry in entries(path):
            if entry["msgid"] == "":
                forms = plural_forms(entry["strs"].get(0, ""), path)
                continue
            if entry["msgid"] not in wanted or "fuzzy" in entry["flags"]:
                continue
            strs = [entry["strs"].get(i, "") for i in range(forms if entry["plural"] is not None else 1)]
            if all(strs):
                messages[entry["msgid"]] = strs if entry["plural"] is not None else strs[0]
        catalogs[language] = {"forms": forms, "messages": messages}
    text = ("// Made by tools/i18n/page_catalogs.py from the catalogs in po/: edit those, not this.\n"
            "self.consoleRpgCatalogs = " + json.dumps(catalogs, ensure_ascii=False, sort_keys=True, indent=0) + ";\n")
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
