"""console-rpg-check on whole data folders: its exit statuses, its options, and its JSON."""

import json
import os
import shutil
import subprocess
import unicodedata
import unittest

from harness import CHECKER, GAME_ENV, HERO, VERSION, make_work_dir


def check(*args, cwd=None):
    return subprocess.run([CHECKER] + list(args), cwd=cwd, env=GAME_ENV, capture_output=True, text=True, timeout=60)


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
        for args in (["--no-such-option"], ["/no/such/folder"], [".", "."]):
            with self.subTest(args=args):
                result = check(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, "")
                self.assertIn("console-rpg-check: ", result.stderr)

    def test_json_holds_the_findings_the_sheet_and_the_field(self):
        clean, _, broken = self.folders()
        result = check("--json", "--map", clean)
        document = json.loads(result.stdout)
        self.assertEqual(document["exit_status"], result.returncode)
        self.assertEqual(len(document["findings"]), 2)
        self.assertEqual(set(document["findings"][0]), {"file", "line", "column", "severity", "message"})
        self.assertEqual(len(document["sheet"]["damage"]), 5 * 6)
        self.assertEqual(document["sheet"]["hero"]["name"], "勇者")
        self.assertEqual(len(document["map"]), 19)
        self.assertIn(HERO, document["map"][8])

        result = check("--json", broken)
        document = json.loads(result.stdout)
        self.assertEqual((result.returncode, document["exit_status"]), (2, 2))
        self.assertIsNone(document["sheet"])
        self.assertEqual(document["findings"][0]["severity"], "error")

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

    def test_map_rows_are_as_wide_as_each_other_whatever_width_the_terminal_gives_ambiguous_characters(self):
        rows = check("--map", make_work_dir(self)).stdout.splitlines()[-19:]
        for ambiguous in (1, 2):
            with self.subTest(ambiguous=ambiguous):
                self.assertEqual({width(row, ambiguous) for row in rows}, {54}, "\n".join(rows))


def width(text, ambiguous=2):
    """Screen columns, as a terminal counts them."""
    east_asian = [unicodedata.east_asian_width(c) for c in text]
    return sum(2 if kind in "WF" else ambiguous if kind == "A" else 1 for kind in east_asian)


if __name__ == "__main__":
    unittest.main()
