# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""The Windows build under wine: the field, the hero and the pawn in a console, keys, and the fatal stops.

The game runs from the prompt of `wine cmd` in a tmux pane, where wine's console host draws the
console onto the pane and hands keys over (a program started by wine straight from a terminal gets
no keys). That host gives every character one column of its own while the pane shows a full-width
character over two, so the later characters of a row drift to the right on the pane; what the
console holds is right, so rows are compared by the characters they show, in order.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zipfile

from harness import (GAME_DATA, HERO, NOTICE, PAWN, STATUS_FILES, WALL, WINDOWS_BUILD, WINDOWS_EXE as EXE,
                     WINE_PREFIX, Tmux, built_package, decoded_map, environment, expected_field, find_in,
                     make_work_dir, plant_in_map, poll)

# Making a prefix takes a while on the first run, and wine shares the machine with other tests.
PREFIX_TIMEOUT = 240
START_TIMEOUT = 90
STATUS = re.compile(r"^status=(-?\d+)$")
# No Mono or Gecko installers, no desktop menu entries, no display: a console program needs none.
WINE = {"WINEPREFIX": WINE_PREFIX, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        "DISPLAY": None, "WAYLAND_DISPLAY": None}


def run_wine(work):
    """console-rpg.exe run by wine with no console: standard output a pipe, as from a script."""
    return subprocess.run(["wine", "console-rpg.exe"], cwd=work, env=environment(WINE), stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)


def shown(line):
    """The characters a pane line shows, in order, without the blanks between them."""
    return "".join(line.split())


def column_of(line, text):
    place = find_in([line], text)
    return place[0] if place else None


class WindowsBuild(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(EXE):
            raise AssertionError("no Windows build at %s: run `make windows`" % EXE)
        env = environment(WINE)
        subprocess.run(["wineboot", "--init"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=PREFIX_TIMEOUT, check=True)
        # Every test starts from no wine process of this prefix, whatever an earlier run left.
        subprocess.run(["wineserver", "-k"], env=env, timeout=PREFIX_TIMEOUT, check=False)

    def setUp(self):
        self.addCleanup(subprocess.run, ["wineserver", "-k"], env=environment(WINE), check=False,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def work_dir(self, missing=()):
        work = make_work_dir(self, missing)
        shutil.copyfile(EXE, os.path.join(work, "console-rpg.exe"))
        return work

    def console(self, name, work):
        """wine's console host in a pane, at a cmd prompt that has shown it takes keys."""
        tmux = Tmux(self, "win-" + name, "cd %s && exec wine cmd" % work, env=WINE)
        deadline = time.monotonic() + START_TIMEOUT
        while time.monotonic() < deadline:
            tmux.send("echo wine-ready", "Enter")
            if poll(lambda: "wine-ready" in [line.strip() for line in tmux.screen()], timeout=5, interval=0.1):
                tmux.send("cls", "Enter")
                tmux.wait_for(lambda s: "wine-ready" not in "".join(s), what="a clear console")
                return tmux
        self.fail("wine's console took no command; screen was:\n%s" % "\n".join(tmux.screen()))

    def status_after(self, tmux, timeout):
        """The game's exit status as cmd reports it once it prompts again (keys typed while the game runs
        are the game's, dropped as it ends), and the screen that shows it."""
        def prompt_back(screen):
            lines = [line.rstrip() for line in screen if line.strip()]
            started = max(i for i, line in enumerate(lines) if line.endswith(">console-rpg.exe"))
            return any(line.endswith(">") for line in lines[started + 1:])

        tmux.wait_for(prompt_back, timeout=timeout, what="cmd's prompt after the game")
        tmux.send("echo status=%ERRORLEVEL%", "Enter")
        found = []

        def ended(screen):
            found[:] = [STATUS.match(line.strip()) for line in screen if STATUS.match(line.strip())]
            return bool(found)

        screen = tmux.wait_for(ended, timeout=timeout, what="the game's exit status")
        return int(found[0].group(1)), "\n".join(screen)

    def play_until_the_field_shows(self, name, work):
        """console-rpg.exe started in work, up to its field with the hero and the pawn; the console."""
        tmux = self.console(name, work)
        tmux.send("console-rpg.exe", "Enter")
        # The pawn at its start, the hero at its stored place.
        expected = expected_field(map_path=os.path.join(work, "test.txt"))
        tmux.wait_for(lambda s: [shown(line) for line in s[:19]] == [shown(line) for line in expected],
                      timeout=START_TIMEOUT, what="the field with the hero and the pawn")
        return tmux

    def test_field_hero_and_pawn_appear_and_the_arrow_keys_walk_the_hero(self):
        tmux = self.play_until_the_field_shows("field", self.work_dir())

        # Down: one row, so it shows as it is whatever the pane makes of the widths.
        tmux.send("Down")
        screen = tmux.wait_for(lambda s: HERO in s[9], what="the hero one row down")
        before = column_of(screen[9], HERO)
        tmux.send("Right")
        tmux.wait_for(lambda s: HERO in s[9] and column_of(s[9], HERO) > before, what="the hero a step right")
        self.assertIn(PAWN, tmux.screen()[3], "the pawn, far from the hero, stays put")

    def test_the_release_zip_unpacked_plays_from_its_game_folder(self):
        archive, _ = built_package(self, WINDOWS_BUILD, "console-rpg-%s-win64.zip")
        unpacked = tempfile.mkdtemp(prefix="console-rpg-zip-")
        self.addCleanup(shutil.rmtree, unpacked, True)
        with zipfile.ZipFile(archive) as z:
            z.extractall(unpacked)
        (folder,) = os.listdir(unpacked)
        self.play_until_the_field_shows("zip", os.path.join(unpacked, folder, "game"))

    def test_the_checker_speaks_the_users_language(self):
        """Without gettext, from tables compiled in; the words tools read stay English."""
        work = self.work_dir(missing=["SwordCut.txt"])
        shutil.copyfile(os.path.join(WINDOWS_BUILD, "console-rpg-check.exe"), os.path.join(work, "check.exe"))
        for locale, usage, finding in (("ja_JP.UTF-8", "使い方: console-rpg-check", "SwordCut.txt:1:1: error: 見つからない"),
                                       ("C.UTF-8", "usage: console-rpg-check", "SwordCut.txt:1:1: error: missing")):
            with self.subTest(locale):
                run = lambda *args: subprocess.run(
                    ["wine", "check.exe"] + list(args), cwd=work, env=environment(WINE, {"LC_ALL": locale, "LANG": locale}),
                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)
                self.assertTrue(run("--help").stdout.decode("utf-8").startswith(usage))
                report = run()
                self.assertEqual(report.returncode, 2)
                self.assertIn(finding, report.stdout.decode("utf-8"))

    def test_control_bytes_in_the_map_are_drawn_as_placeholders_never_obeyed(self):
        work = self.work_dir()
        # Bell, backspace, carriage return, escape, tab and delete, where row 5 is open ground.
        controls = b"\x07\x08\x0d\x1b\x09\x7f"
        plant_in_map(work, 2, 5, controls)
        tmux = self.console("controls", work)
        tmux.send("console-rpg.exe", "Enter")
        expected = shown(decoded_map(os.path.join(GAME_DATA, "test.txt"))[5])
        expected = expected[:1] + "?" * len(controls) + expected[1:]
        tmux.wait_for(lambda s: HERO in s[8] and shown(s[5]) == expected, timeout=START_TIMEOUT,
                      what="row 5 with a placeholder for each control byte")

    def test_a_missing_status_file_shows_the_notice_and_ends_with_status_minus_1(self):
        work = self.work_dir(missing=[STATUS_FILES[0]])
        # Meanwhile, the same without a console: standard output a pipe, as from a script.
        piped = {}
        thread = threading.Thread(target=self.run_piped, args=(work, piped))
        thread.start()
        self.addCleanup(thread.join)

        tmux = self.console("notice", work)
        tmux.send("console-rpg.exe", "Enter")
        screen = tmux.wait_for(lambda s: NOTICE[3] in [line.rstrip() for line in s], timeout=START_TIMEOUT,
                               what="the notice")
        seen = time.monotonic()
        lines = [line.rstrip() for line in screen]
        start = lines.index(NOTICE[0])
        self.assertEqual(lines[start:start + 4], NOTICE)
        tmux.send("echo typed-during-the-notice", "Enter")
        status, screen = self.status_after(tmux, timeout=45)
        self.assertEqual(status, -1, screen)
        self.assertGreater(time.monotonic() - seen, 25, "the game ended long before 30 seconds")
        self.assertIn(NOTICE[0], [line.rstrip() for line in tmux.screen()], "the notice stays readable")
        self.assertNotIn("typed-during-the-notice", [line.strip() for line in tmux.screen()],
                         "keys typed during the notice reached cmd")

        thread.join(timeout=60)
        self.assertEqual(piped.get("status"), 255)
        self.assertGreaterEqual(piped["elapsed"], 29.0)
        self.assertEqual(piped["output"], ("\r\n".join(NOTICE) + "\r\n").encode("utf-8"))

    def run_piped(self, work, result):
        started = time.monotonic()
        process = run_wine(work)
        result.update(status=process.returncode, output=process.stdout, elapsed=time.monotonic() - started)

    def test_a_missing_map_ends_at_once_with_status_minus_1_drawing_nothing(self):
        work = self.work_dir(missing=["test.txt"])
        process = run_wine(work)
        self.assertEqual(process.returncode, 255)
        self.assertEqual(process.stdout, b"")

        tmux = self.console("nomap", work)
        tmux.send("console-rpg.exe", "Enter")
        status, screen = self.status_after(tmux, timeout=START_TIMEOUT)
        if status == 9009:
            # cmd's own "not recognized", never the game's: once (1 run in about 12), on a fresh prefix
            # under load, wine's console garbled the typed line. The game is asked once more.
            tmux.send("cls", "Enter")
            tmux.wait_for(lambda s: not any(STATUS.match(line.strip()) for line in s), what="a clear console")
            tmux.send("console-rpg.exe", "Enter")
            status, screen = self.status_after(tmux, timeout=START_TIMEOUT)
        self.assertEqual(status, -1, screen)
        screen = "".join(tmux.screen())
        self.assertNotIn(WALL, screen)
        self.assertNotIn(HERO, screen)


if __name__ == "__main__":
    if not os.path.isfile(EXE):
        # ctest reads this status as skipped: a build without the Windows one has nothing to play.
        print("skipped: no Windows build at %s (`make windows` makes it; `make test` does)" % EXE)
        sys.exit(77)
    unittest.main()
