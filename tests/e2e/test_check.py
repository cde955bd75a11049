"""console-rpg-check on whole data folders: its exit statuses, its options, and its JSON."""

import json
import os
import subprocess
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


if __name__ == "__main__":
    unittest.main()
