# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Suspend and resume, resizing, a terminal that goes away and input that ends."""

import os
import threading
import time
import unittest

from harness import (BINARY, HERO, PAWN, PAWN_START, SAMPLE_HERO, Tmux, expected_field, find_in, game_pid, has_ended,
                     make_work_dir, poll)

SUSPENDS = 20


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Suspend(unittest.TestCase):
    # Under make (and any wrapper) the wrapper stops at the same moment as the game and the
    # shell reports the stop at once: the terminal must be the shell's again by then.
    LAUNCHERS = [
        ("direct", "./console-rpg"),
        ("make", "make --no-print-directory run"),
        ("sh -c", "sh -c './console-rpg; echo'"),
    ]

    def test_ctrl_z_gives_a_working_prompt_and_fg_repaints_every_time(self):
        # The launchers side by side, each in a terminal of its own: they wait on their terminals far more
        # than they work.
        failures = {}

        def suspend_and_resume(name, launch):
            try:
                self.suspend_and_resume(name, launch)
            except Exception as failure:  # told below, in the test's own thread
                failures[name] = failure

        threads = [threading.Thread(target=suspend_and_resume, args=launcher) for launcher in self.LAUNCHERS]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        for name, _ in self.LAUNCHERS:
            with self.subTest(launcher=name):
                if name in failures:
                    raise failures[name]

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


class Resize(unittest.TestCase):
    def test_a_small_terminal_shows_the_size_needed_and_the_field_comes_back(self):
        # Every size on a terminal; input that never ends (`yes |`, or one always ready) must not hold the
        # loop in its reading, which one size and back shows.
        everything = ([(40, 10), (40, 12), (53, 25), (80, 19)], [(80, 25), (54, 20)])
        for n, (name, launch, (small, fitting)) in enumerate((("a terminal", "exec %s", everything),
                                                              ("yes |", "yes | %s", ([(40, 12)], [(80, 25)])),
                                                              ("/dev/zero", "exec %s < /dev/zero", ([(53, 25)], [(80, 25)])))):
            with self.subTest(input=name):
                self.resize_and_back("resize-%d" % n, launch % BINARY, small, fitting)

    def resize_and_back(self, name, launch, small, fitting):
        work = make_work_dir(self)
        tmux = Tmux(self, name, "cd %s && %s; sleep 60" % (work, launch))
        tmux.wait_for(lambda s: find_in(s, HERO) == SAMPLE_HERO, what="the field")
        for width, height in small:
            tmux.resize(width, height)
            screen = tmux.wait_for(lambda s: any("54x20" in line and "%dx%d" % (width, height) in line
                                                 for line in s), what="the size notice at %dx%d" % (width, height))
            self.assertNotIn(HERO, "".join(screen))
            self.assertEqual(len([line for line in screen if line.strip()]), 1, "one short line, nothing else")
        for width, height in fitting:
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
        self.assertTrue(poll(lambda: has_ended(pid), timeout=2), "the game outlived its terminal")

    def test_input_that_ends_never_makes_the_loop_spin(self):
        # Both at once, watched over the same second.
        games = []
        for name, source in [("devnull", "< /dev/null"), ("pipe", "< <(printf '\\033[D'; sleep 0.3)")]:
            work = make_work_dir(self)
            games.append((name, Tmux(self, name, "cd %s && exec %s %s" % (work, BINARY, source)),
                          (28, 8) if name == "pipe" else (30, 8)))
        for name, tmux, hero in games:
            tmux.wait_for(lambda s: find_in(s, HERO) == hero, what="the field, input %s" % name)
        time.sleep(0.35)  # past the end of the piped input
        pids = [tmux.pane_pid() for _, tmux, _ in games]  # the games themselves, each shell having made way
        before = [cpu_seconds(pid) for pid in pids]
        time.sleep(1)
        for (name, tmux, hero), pid, was in zip(games, pids, before):
            used = cpu_seconds(pid) - was
            self.assertLess(used, 0.05, "input %s: %.2f s of processor time in a second" % (name, used))
            self.assertEqual(find_in(tmux.screen(), HERO), hero)


if __name__ == "__main__":
    unittest.main()
