# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Suspend and resume, resizing, a terminal that goes away and input that ends."""

import os
import time
import unittest

from harness import (BINARY, HERO, MEASURE, NOTICE, PAWN, PAWN_START, SAMPLE_HERO, Tmux, expected_field, find_in,
                     game_pid, make_work_dir, poll, wait_for_file)

SUSPENDS = 20


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def has_ended(pid):
    """Gone, or ended and not yet collected by its parent."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except (FileNotFoundError, ProcessLookupError):  # reaped before, or between the open and the read
        return True


class Suspend(unittest.TestCase):
    # Under make (and any wrapper) the wrapper stops at the same moment as the game and the
    # shell reports the stop at once: the terminal must be the shell's again by then.
    LAUNCHERS = [
        ("direct", "./console-rpg"),
        ("make", "make --no-print-directory run"),
        ("sh -c", "sh -c './console-rpg; echo'"),
    ]

    def test_ctrl_z_gives_a_working_prompt_and_fg_repaints_every_time(self):
        for name, launch in self.LAUNCHERS:
            with self.subTest(launcher=name):
                self.suspend_and_resume(name, launch)

    def suspend_and_resume(self, name, launch):
        work = make_work_dir(self, game_link=True)
        with open(os.path.join(work, "Makefile"), "w") as f:
            f.write("run:\n\tcd . && ./console-rpg\n")
        tmux = Tmux(self, "suspend-" + name.replace(" ", ""),
                    "cd %s && PS1='$ ' exec bash --norc --noprofile -i" % work)
        tmux.send("stty -g > before; %s" % launch, "Enter")
        hero = (30, 8)
        tmux.wait_for(lambda s: find_in(s, HERO) == hero, what="the field")
        for n in range(SUSPENDS):
            # Move between suspensions, so the repaint must show the present state.
            key, hero = ("Left", (28, 8)) if n % 2 == 0 else ("Right", (30, 8))
            tmux.send(key)
            tmux.wait_for(lambda s: find_in(s, HERO) == hero, what="the move before suspend %d" % n)
            tmux.send("C-z")
            tmux.wait_for(lambda s: bool(s) and any("Stopped" in line for line in s) and HERO not in "".join(s)
                          and [line for line in s if line.strip()][-1] == "$", what="the prompt after suspend %d" % n)
            self.assertEqual(tmux.query("#{alternate_on}"), "0")
            command = "stty -g > during-%d; echo typed-%d" % (n, n)
            tmux.send(command, "Enter")
            screen = tmux.wait_for(lambda s: "typed-%d" % n in s, what="the typed command's output %d" % n)
            self.assertEqual([line for line in screen if command in line], ["$ " + command],
                             "the command line shows once, as typed, after suspend %d" % n)
            tmux.send("fg", "Enter")
            screen = tmux.wait_for(lambda s: find_in(s, HERO) == hero and find_in(s, PAWN) == PAWN_START,
                                   what="the repaint after resume %d" % n)
            self.assertEqual([row.rstrip() for row in screen[:19]], expected_field(hero), "resume %d" % n)
        with open(os.path.join(work, "before")) as f:
            before = f.read()
        for n in range(SUSPENDS):
            with open(os.path.join(work, "during-%d" % n)) as f:
                self.assertEqual(f.read(), before, "terminal modes while suspended, time %d" % n)


    def test_ctrl_z_during_the_missing_file_notice_suspends_and_the_notice_still_ends(self):
        work = make_work_dir(self, missing=["Flame.txt"], game_link=True)
        tmux = Tmux(self, "suspend-notice", "cd %s && PS1='$ ' exec bash --norc --noprofile -i" % work)
        tmux.send("python3 %s result ./console-rpg" % MEASURE, "Enter")
        tmux.wait_for(lambda s: NOTICE[3] in "\n".join(s), what="the notice")
        tmux.send("C-z")
        tmux.wait_for(lambda s: any("Stopped" in line for line in s) and [line for line in s if line.strip()][-1] == "$",
                      what="the prompt after Ctrl+Z")
        tmux.send("fg", "Enter")
        outcome = wait_for_file(os.path.join(work, "result"), timeout=40)
        self.assertIsNotNone(outcome, "the game did not end after fg")
        status, elapsed = outcome.split()[:2]
        self.assertEqual(int(status), 255)
        self.assertLess(float(elapsed), 31.0, "the notice's 30 seconds count from its start")


class Resize(unittest.TestCase):
    def test_a_small_terminal_shows_the_size_needed_and_the_field_comes_back(self):
        # Input that never ends (`yes |`, or one always ready) must not hold the loop in its reading.
        for n, (name, launch) in enumerate((("a terminal", "exec %s"), ("yes |", "yes | %s"),
                                            ("/dev/zero", "exec %s < /dev/zero"))):
            with self.subTest(input=name):
                self.resize_and_back("resize-%d" % n, launch % BINARY)

    def resize_and_back(self, name, launch):
        work = make_work_dir(self)
        tmux = Tmux(self, name, "cd %s && %s; sleep 60" % (work, launch))
        tmux.wait_for(lambda s: find_in(s, HERO) == SAMPLE_HERO, what="the field")
        for width, height in [(40, 12), (53, 25), (80, 19)]:
            tmux.resize(width, height)
            screen = tmux.wait_for(lambda s: any("54x20" in line and "%dx%d" % (width, height) in line
                                                 for line in s), what="the size notice at %dx%d" % (width, height))
            self.assertNotIn(HERO, "".join(screen))
            self.assertEqual(len([line for line in screen if line.strip()]), 1, "one short line, nothing else")
        for width, height in [(80, 25), (54, 20)]:
            tmux.resize(width, height)
            screen = tmux.wait_for(lambda s: find_in(s, HERO) == SAMPLE_HERO,
                                   what="the field back at %dx%d" % (width, height))
            self.assertEqual([row.rstrip() for row in screen[:19]], expected_field())
        pid = game_pid(tmux.pane_pid()) or tmux.pane_pid()
        tmux.send("C-c")
        self.assertTrue(poll(lambda: has_ended(pid), timeout=1), "Ctrl+C did not end the game within a second")


class Endings(unittest.TestCase):
    def test_closing_the_terminal_ends_the_game_promptly(self):
        work = make_work_dir(self)
        tmux = Tmux(self, "hangup", "cd %s && %s; sleep 60" % (work, BINARY))
        tmux.wait_for(lambda s: find_in(s, HERO) == SAMPLE_HERO, what="the field")
        pid = game_pid(tmux.pane_pid())
        self.assertIsNotNone(pid)
        tmux.kill_server()
        poll(lambda: not os.path.exists("/proc/%d" % pid), timeout=2)
        self.assertFalse(os.path.exists("/proc/%d" % pid), "the game outlived its terminal")

    def test_input_that_ends_never_makes_the_loop_spin(self):
        for name, source in [("devnull", "< /dev/null"), ("pipe", "< <(printf '\\033[D'; sleep 0.3)")]:
            with self.subTest(input=name):
                work = make_work_dir(self)
                tmux = Tmux(self, name, "cd %s && exec %s %s" % (work, BINARY, source))
                hero = (28, 8) if name == "pipe" else (30, 8)
                tmux.wait_for(lambda s: find_in(s, HERO) == hero, what="the field")
                pid = tmux.pane_pid()  # the game itself, the pane's shell having made way for it
                time.sleep(0.5)  # past the end of the input
                before = cpu_seconds(pid)
                time.sleep(3)
                used = cpu_seconds(pid) - before
                self.assertLess(used, 0.15, "%.2f s of processor time in 3 s" % used)
                self.assertEqual(find_in(tmux.screen(), HERO), hero)


if __name__ == "__main__":
    unittest.main()
