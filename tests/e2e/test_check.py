# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""console-rpg-check on whole data folders: its exit statuses, its options, and its JSON."""

import json
import os
import resource
import shutil
import stat
import subprocess
import tempfile
import unicodedata
import unittest

from harness import CHECKER, GAME_DATA, GAME_ENV, HERO, VERSION, make_work_dir


def check(*args, cwd=None):
    return subprocess.run([CHECKER] + list(args), cwd=cwd, env=GAME_ENV, capture_output=True, text=True, timeout=60)


def japanese_locales(test):
    """LOCPATH holding ja_JP.SJIS, ja_JP.EUC-JP and ja_JP.UTF-8, made with localedef once and kept for later runs
    (making them takes seconds); None without localedef."""
    names = (("ja_JP.SJIS", "SHIFT_JIS"), ("ja_JP.EUC-JP", "EUC-JP"), ("ja_JP.UTF-8", "UTF-8"))
    folder = os.path.join(tempfile.gettempdir(), "console-rpg-locales-%d" % os.getuid())
    try:
        kept = os.lstat(folder)
        # Only a folder of our own that no one else may write is trusted.
        if stat.S_ISDIR(kept.st_mode) and kept.st_uid == os.getuid() and not kept.st_mode & 0o022 and \
                all(os.path.isdir(os.path.join(folder, name)) for name, _ in names):
            return folder
    except FileNotFoundError:
        pass
    scratch = tempfile.mkdtemp(prefix="console-rpg-locales-")
    test.addCleanup(shutil.rmtree, scratch, True)
    for name, charmap in names:
        # Shift-JIS is not ASCII-compatible (0x5C is the yen sign): localedef warns, and still makes it.
        try:
            subprocess.run(["localedef", "--no-warnings=ascii", "-i", "ja_JP", "-f", charmap, os.path.join(scratch, name)],
                           capture_output=True, timeout=120)
        except OSError:
            return None
        if not os.path.isdir(os.path.join(scratch, name)):
            return None
    # Kept for the next run; where another test file kept its own meanwhile, or
    # a folder we do not trust stands there, this run uses its scratch copy.
    try:
        os.rename(scratch, folder)
    except OSError:
        return scratch
    return folder


class Checker(unittest.TestCase):
    def folders(self):
        """A clean copy of the sample data, one with a warning, one the game would not start from."""
        clean = make_work_dir(self)
        warned = make_work_dir(self)
        with open(os.path.join(warned, "Pawn_Status_Info.txt"), "wb") as f:
            f.write("ポーン 1 歩 0 70000 8 6 4 3 2 0\n".encode("cp932"))
        broken = make_work_dir(self, missing=["SwordCut.txt"])
        return clean, warned, broken

    def test_exit_status_tells_clean_warned_and_not_starting(self):
        clean, warned, broken = self.folders()
        cases = [
            (clean, 0, "0 errors, 0 warnings, 2 notes"),
            (warned, 1, "/Pawn_Status_Info.txt:1:15: warning: 70000 does not fit hp (-32768 to 32767): the game keeps 4464"),
            (broken, 2, "/SwordCut.txt:1:1: error: missing: the game stops here"),
        ]
        for folder, status, text in cases:
            with self.subTest(folder=folder):
                result = check(folder)
                self.assertEqual(result.returncode, status, result.stdout + result.stderr)
                self.assertIn(text, result.stdout)
        # Without a folder it reads the working directory, as the game does, and names files as the game does.
        result = check(cwd=warned)
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stdout.startswith("Pawn_Status_Info.txt:1:15: warning:"), result.stdout)

    def test_help_version_and_a_wrong_command_line(self):
        result = check("--help")
        self.assertEqual(result.returncode, 0)
        self.assertTrue(result.stdout.startswith("usage: console-rpg-check"))
        result = check("--version")
        self.assertEqual((result.returncode, result.stdout), (0, "console-rpg-check %s\n" % VERSION))
        # An empty name (a script's variable that came out empty) is refused, not read as the working directory.
        # What the user typed comes back with its control bytes made visible.
        for args, lines in ((["--no-such-option"], 2), (["/no/such/folder"], 1), ([".", "."], 2), ([""], 1),
                            (["/no/such/\x1b]0;x\x07\n"], 1), (["--\x1b[2J"], 2), (["--dry-run"], 2),
                            (["--fix", "--json"], 2)):
            with self.subTest(args=args):
                result = check(*args, cwd=make_work_dir(self))
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, "")
                self.assertTrue(result.stderr.startswith("console-rpg-check: "), result.stderr)
                self.assertEqual(len(result.stderr.splitlines()), lines, result.stderr)
                self.assertFalse(set(result.stderr) & {"\x1b", "\x07"}, result.stderr)

    def test_json_holds_the_findings_the_sheet_and_the_field(self):
        clean, _, broken = self.folders()
        with open(os.path.join(clean, "Knight_Status_Info.txt"), "wb") as f:
            f.write('ナ\\イ"ト 2 騎 0 60 14 10 8 5 6 0\n'.encode("cp932"))  # a backslash and a quote
        result = check("--json", "--map", clean)
        document = json.loads(result.stdout)
        self.assertEqual(document["sheet"]["experience"][1]["monster"], 'ナ\\イ"ト')
        self.assertEqual(document["exit_status"], result.returncode)
        self.assertEqual(len(document["findings"]), 2)
        self.assertEqual(set(document["findings"][0]),
                         {"file", "line", "column", "severity", "message", "localized_message"})
        self.assertEqual(len(document["sheet"]["damage"]), 5 * 6)
        self.assertEqual(document["sheet"]["hero"]["name"], "勇者")
        self.assertEqual(len(document["map"]), 19)
        self.assertIn(HERO, document["map"][8])

        result = check("--json", broken)
        document = json.loads(result.stdout)
        self.assertEqual((result.returncode, document["exit_status"]), (2, 2))
        self.assertIsNone(document["sheet"])
        self.assertEqual(document["findings"][0]["severity"], "error")

    def test_json_is_utf8_whatever_the_locale(self):
        locales = japanese_locales(self)
        if locales is None:
            self.skipTest("localedef cannot make the ja_JP locales here")
        folder = os.path.join(make_work_dir(self), "データ")
        os.mkdir(folder)
        odd = os.fsencode(make_work_dir(self)) + b"/bad\xff"  # not UTF-8
        os.mkdir(odd)
        for name in os.listdir(GAME_DATA):
            shutil.copy(os.path.join(GAME_DATA, name), folder)
            shutil.copy(os.path.join(GAME_DATA, name), os.fsdecode(odd))
        for locale in ("ja_JP.SJIS", "ja_JP.EUC-JP"):
            env = dict(GAME_ENV, LOCPATH=locales, LANG=locale, LC_ALL=locale)
            for path, utf8 in ((os.fsencode(folder), True), (odd, False)):
                with self.subTest(locale=locale, path=path):
                    result = subprocess.run([os.fsencode(CHECKER), b"--json", b"--map", path], env=env,
                                            capture_output=True, timeout=60)
                    document = json.loads(result.stdout.decode("utf-8"))  # strict: every byte UTF-8
                    self.assertEqual(document["sheet"]["hero"]["name"], "勇者")
                    self.assertIn(HERO, document["map"][8])
                    self.assertEqual(document["directory_is_utf8"], utf8)
                    self.assertEqual(document["directory"], os.fsdecode(path) if utf8 else path[:-1].decode() + "\ufffd")
            # Text is for the terminal: in its own character set.
            result = subprocess.run([CHECKER, folder], env=env, capture_output=True, timeout=60)
            self.assertIn("勇者".encode("shift_jis" if locale.endswith("SJIS") else "euc_jp"), result.stdout)

    def test_messages_are_in_the_language_and_the_encoding_of_the_locale(self):
        """What tools read stays: the place, the severity words, the exit status, JSON's English message."""
        locales = japanese_locales(self)
        if locales is None:
            self.skipTest("localedef cannot make the ja_JP locales here")
        _, _, broken = self.folders()
        english = {"help": "usage: console-rpg-check [--json]", "wrong": "console-rpg-check: unknown option --x\n",
                   "report": "/SwordCut.txt:1:1: error: missing: the game stops here"}
        japanese = {"help": "使い方: console-rpg-check [--json]", "wrong": "console-rpg-check: 不明なオプション --x\n",
                    "report": "/SwordCut.txt:1:1: error: 見つからない: ゲームはここで止まり"}
        for locale, encoding, said in (("ja_JP.UTF-8", "utf-8", japanese), ("ja_JP.EUC-JP", "euc_jp", japanese),
                                       ("ja_JP.SJIS", "shift_jis", japanese), ("C.UTF-8", "utf-8", english)):
            env = dict(GAME_ENV, LOCPATH=locales, LANG=locale, LC_ALL=locale)
            run = lambda *args: subprocess.run([CHECKER] + list(args), env=env, capture_output=True, timeout=60)
            with self.subTest(locale=locale):
                self.assertTrue(run("--help").stdout.decode(encoding).startswith(said["help"]))
                self.assertTrue(run("--x").stderr.decode(encoding).startswith(said["wrong"]))
                report = run(broken)
                self.assertEqual(report.returncode, 2)
                self.assertIn(said["report"], report.stdout.decode(encoding))
                finding = json.loads(run("--json", broken).stdout)["findings"][0]
                self.assertTrue(finding["message"].startswith(english["report"].split(": ", 2)[2]), finding)
                self.assertTrue(finding["localized_message"].startswith(said["report"].split(": ", 2)[2]), finding)

    def test_files_of_any_size_are_read_in_little_memory_and_quoted_short(self):
        # Each file is larger than the whole address space the checker is given.
        size = 24 << 20
        rest = b" 20 15 10 8 12 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 30 8\n"
        heroes = [
            (b"Hero " + b"9" * size + rest, 1, "is past 32 bits"),
            (b"Hero" + b" " * size + b" 100" + rest, 0, "0 errors, 0 warnings"),
            (b"A" * size + b" 100" + rest, 1, "(%d bytes) is cut to fit its 29" % size),
        ]
        limit = 16 << 20
        for hero, status, text in heroes:
            folder = make_work_dir(self)
            with open(os.path.join(folder, "Hero_Status_Info.txt"), "wb") as f:
                f.write(hero)
            result = subprocess.run([CHECKER, folder], env=GAME_ENV, capture_output=True, timeout=120,
                                    preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit)))
            with self.subTest(text=text):
                self.assertEqual(result.returncode, status, result.stderr[-300:])
                self.assertIn(text.encode(), result.stdout)
                self.assertLess(max(len(line) for line in result.stdout.splitlines()), 300)
    def test_a_column_is_the_screen_column_of_its_character_and_the_caret_stands_under_it(self):
        """Code page 932 gives a full-width character two bytes and two columns: the byte column is the screen
        column, what vim's %v counts (its %c would count characters), and the caret stands there."""
        folder = make_work_dir(self)
        line = "ポーン 1 歩 0 70000 8 6 4 3 2 0"
        with open(os.path.join(folder, "Pawn_Status_Info.txt"), "wb") as f:
            f.write((line + "\r\n").encode("cp932"))
        out = check(folder).stdout.splitlines()
        at = next(i for i, text in enumerate(out) if "70000 does not fit" in text)
        offending = line.index("70000")
        self.assertEqual(int(out[at].split(":")[-4]), width(line[:offending]) + 1, out[at])
        shown, caret = out[at + 1], out[at + 2]
        gutter = shown.index(" | ") + 3
        self.assertEqual(shown[gutter:], line)
        self.assertEqual(width(caret[:caret.index("^")]) - gutter, width(line[:offending]), "\n".join(out[at:at + 3]))

    @unittest.skipUnless(shutil.which("vim"), "vim is not installed")
    def test_vim_lands_on_the_character_with_the_errorformat_the_manual_gives(self):
        folder = make_work_dir(self)
        with open(os.path.join(folder, "Pawn_Status_Info.txt"), "wb") as f:
            f.write("ポーン 1 歩 0 70000 8 6 4 3 2 0\r\n".encode("cp932"))
        report, landed = os.path.join(folder, "report.txt"), os.path.join(folder, "landed.txt")
        with open(report, "w") as f:
            f.write(check(folder).stdout)
        subprocess.run(["vim", "-Nu", "NONE", "-es", "-c", "set encoding=utf-8 fileencodings=cp932 ambiwidth=double",
                        "-c", r"set errorformat=%f:%l:%v:\ %m", "-c", "cfile " + report, "-c", "cfirst",
                        "-c", "call writefile([strpart(getline('.'), col('.') - 1)], '%s')" % landed, "-c", "qa!"],
                       env=GAME_ENV, stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        with open(landed, "rb") as f:
            self.assertEqual(f.read(), b"70000 8 6 4 3 2 0\n")

    def test_fix_converts_an_authors_utf8_folder_keeps_the_originals_and_writes_nothing_it_cannot_convert(self):
        folder = make_work_dir(self)
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as f:
                text = f.read().decode("cp932")
            if name == "test.txt":  # 26 full-width characters a line, full-width spaces for open ground
                text = "".join(line.encode("cp932")[:52].decode("cp932").replace("＃", "■").replace("  ", "　") + "\n"
                               for line in text.splitlines())
            with open(os.path.join(folder, name), "wb") as f:
                f.write(("\ufeff" + text.replace("\n", "\r\n") if name.startswith("Hero") else text).encode("utf-8"))
        written = read_folder(folder)
        result = check("--fix", "--dry-run", folder)
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertIn("files --fix would change: 13", result.stdout)
        self.assertEqual(read_folder(folder), written)

        result = check("--fix", folder)
        self.assertEqual(result.returncode, 1, result.stdout)  # the warning on ■ stays: ambiguous width
        self.assertIn("the originals are kept in %s/before-fix" % folder, result.stdout)
        self.assertIn("0 errors, 1 warning, 2 notes", result.stdout)
        self.assertEqual(read_folder(os.path.join(folder, "before-fix")), written)
        self.assertIn("nothing to change", check("--fix", folder).stdout)

        with open(os.path.join(folder, "Flame.txt"), "wb") as f:
            f.write("炎🔥 1 4 3\n".encode("utf-8"))
        before = sorted(os.listdir(folder))
        result = check("--fix", folder)
        self.assertEqual(result.returncode, 2)
        self.assertIn("Flame.txt:1:3: error: the character U+1F525 has no form in code page 932", result.stdout)
        self.assertEqual(sorted(os.listdir(folder)), before)

    def test_map_rows_are_as_wide_as_each_other_whatever_width_the_terminal_gives_ambiguous_characters(self):
        rows = check("--map", make_work_dir(self)).stdout.splitlines()[-19:]
        for ambiguous in (1, 2):
            with self.subTest(ambiguous=ambiguous):
                self.assertEqual({width(row, ambiguous) for row in rows}, {54}, "\n".join(rows))


def read_folder(folder):
    """Each regular file's bytes, by name."""
    files = {}
    for name in os.listdir(folder):
        if os.path.isfile(os.path.join(folder, name)):
            with open(os.path.join(folder, name), "rb") as f:
                files[name] = f.read()
    return files


def width(text, ambiguous=2):
    """Screen columns, as a terminal counts them."""
    east_asian = [unicodedata.east_asian_width(c) for c in text]
    return sum(2 if kind in "WF" else ambiguous if kind == "A" else 1 for kind in east_asian)


if __name__ == "__main__":
    unittest.main()
