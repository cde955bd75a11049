# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""A newcomer's first minute: the field, the hero and the pawn on screen, and the notice."""

import os
import socket
import time
import unittest

from harness import (BINARY, HERO, MEASURE, NOTICE, PAWN, STATUS_FILES, Pty, Tmux, expected_field, make_work_dir,
                     start_on_pty, wait_for_file)


def bind_socket(path):
    with socket.socket(socket.AF_UNIX) as listener:
        listener.bind(path)


class StartUp(unittest.TestCase):
    def test_field_hero_and_pawn_are_drawn_at_their_places(self):
        work = make_work_dir(self)
        tmux = Tmux(self, "field", "cd %s && %s" % (work, BINARY))
        screen = tmux.wait_for(lambda s: HERO in "".join(s) and PAWN in "".join(s), what="hero and pawn")
        # The pawn at its start, the hero at its stored place.
        expected = expected_field(map_path=os.path.join(work, "test.txt"))
        for row in range(19):
            self.assertEqual(screen[row].rstrip(), expected[row], "row %d" % row)
        for row in range(19, 25):
            self.assertEqual(screen[row].strip(), "", "row %d" % row)

    def test_a_missing_status_file_shows_the_notice_and_ends_after_30_seconds_across_ctrl_z(self):
        # The one wait on the real clock (the unit tests count the 30 seconds for every file on a virtual one):
        # Ctrl+Z and fg during it, keys typed after, an interactive shell to read whatever they leave.
        work = make_work_dir(self, missing=[STATUS_FILES[-1]], game_link=True)
        tmux = Tmux(self, "notice", "cd %s && PS1='$ ' exec bash --norc --noprofile -i" % work)
        tmux.send("stty -g > before", "Enter")
        tmux.send("echo before-the-game; python3 %s result ./console-rpg" % MEASURE, "Enter")
        screen = tmux.wait_for(lambda s: NOTICE[3] in "\n".join(s), what="the notice")
        start = screen.index("before-the-game")
        self.assertEqual(screen[start + 1:start + 5], NOTICE)
        tmux.send("C-z")
        tmux.wait_for(lambda s: any("Stopped" in line for line in s) and [line for line in s if line.strip()][-1] == "$",
                      what="the prompt after Ctrl+Z")
        tmux.send("fg", "Enter")
        tmux.wait_for(lambda s: "$ fg" in s and any(line.strip() for line in s[s.index("$ fg") + 1:]),
                      what="the game in the foreground again")
        # What the shell would read after the game: keys typed during the notice must not reach it.
        tmux.send("Left")
        tmux.send("touch leaked", "Enter")
        outcome = wait_for_file(os.path.join(work, "result"), timeout=40)
        self.assertIsNotNone(outcome, "the game did not end after fg")
        status, elapsed, cpu, _ = outcome.split()
        self.assertEqual(int(status), 255)
        self.assertGreaterEqual(float(elapsed), 29.0)
        self.assertLess(float(elapsed), 31.0, "the notice's 30 seconds count from its start")
        self.assertLess(float(cpu), 0.5, "the wait must not keep a processor busy")
        # The notice stays readable on the normal screen after the end.
        self.assertEqual(tmux.query("#{alternate_on}"), "0")
        tmux.send("stty -g > after; echo after-the-game", "Enter")
        screen = "\n".join(tmux.wait_for(lambda s: "after-the-game" in s, what="the shell after the game"))
        self.assertIn(NOTICE[0], screen)
        self.assertFalse(os.path.exists(os.path.join(work, "leaked")), "type-ahead reached the shell")
        self.assertNotIn("^[", screen, "keys were echoed on the notice")
        self.assertNotIn("touch", screen, "keys were echoed on the notice")
        with open(os.path.join(work, "before")) as before, open(os.path.join(work, "after")) as after:
            self.assertEqual(before.read(), after.read(), "terminal modes differ")

    def test_anything_but_a_regular_file_counts_as_missing_at_once(self):
        # A FIFO used to block the start for ever, /dev/zero to feed it bytes without end.
        makers = {
            "fifo": os.mkfifo,
            "/dev/zero": lambda path: os.symlink("/dev/zero", path),
            "/dev/null": lambda path: os.symlink("/dev/null", path),
            "socket": bind_socket,
        }
        for what, make in makers.items():
            for name in ("Flame.txt", "test.txt"):
                with self.subTest(what=what, file=name):
                    work = make_work_dir(self, missing=[name])
                    make(os.path.join(work, name))
                    terminal = Pty(self)
                    process = start_on_pty(self, work, terminal)
                    # A few seconds, for a loaded machine: reading a FIFO or /dev/zero would take for ever.
                    if name == "test.txt":
                        self.assertEqual(process.wait(timeout=5), 255)
                    else:
                        terminal.wait_for(self, NOTICE[3].encode(), timeout=5)
                        self.assertIsNone(process.poll(), "the notice waits its 30 seconds")

    def test_a_missing_map_ends_at_once_writing_nothing(self):
        work = make_work_dir(self, missing=["test.txt"])
        terminal = Pty(self)
        started = time.monotonic()
        process = start_on_pty(self, work, terminal)
        status = process.wait(timeout=5)
        elapsed = time.monotonic() - started
        time.sleep(0.2)  # for anything the game wrote to reach the reader
        self.assertEqual(status, 255)
        self.assertLess(elapsed, 1.0)
        self.assertEqual(terminal.received(), b"")


if __name__ == "__main__":
    unittest.main()
