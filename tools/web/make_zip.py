#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Zips the browser build's page so that the same commit always gives the same bytes.

usage: make_zip.py ZIP TOP_FOLDER PAGE_DIR FILE... [-- OPTIONAL_FILE...]

The FILEs come from PAGE_DIR, the OPTIONAL_FILEs (the licence, the README) from the
working directory where they exist; all go under TOP_FOLDER/ in the order given,
dated SOURCE_DATE_EPOCH (or the last commit's time), readable by all, no one's owner.
"""

import os
import subprocess
import sys
import time
import zipfile


def epoch():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    return int(subprocess.run(["git", "log", "-1", "--format=%ct"], check=True, capture_output=True,
                              text=True).stdout.strip())


def main(argv):
    zip_path, top, page_dir, *names = argv
    optional = names[names.index("--") + 1:] if "--" in names else []
    required = names[:names.index("--")] if "--" in names else names
    entries = [(os.path.join(page_dir, name), name) for name in required]
    entries += [(name, os.path.basename(name)) for name in optional if os.path.isfile(name)]
    # Zip dates are local-time fields from 1980 on; taken as UTC, they read the same everywhere.
    stamp = time.gmtime(max(epoch(), 315532800))[:6]
    with zipfile.ZipFile(zip_path + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for source, name in entries:
            info = zipfile.ZipInfo(top + "/" + name, date_time=stamp)
            info.create_system = 3  # Unix, so that the permissions below are read
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(source, "rb") as f:
                archive.writestr(info, f.read())
    os.replace(zip_path + ".part", zip_path)
    print(zip_path)


if __name__ == "__main__":
    main(sys.argv[1:])
