# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Every way out gives the terminal back exactly as it was."""

import os
import select
import signal
import threading
import time
import types
import unittest

from harness import HERO, NOTICE, Pty, Tmux, game_pid, make_work_dir, start_on_pty, wait_for_file

# Every signal whose default action ends the process, besides the keyboard's own.
FATAL_SIGNALS = [signal.SIGTERM, signal.SIGHUP, signal.SIGUSR1, signal.SIGUSR2, signal.SIGALRM,
                 signal.SIGVTALRM, signal.SIGPROF, signal.SIGXCPU, signal.SIGXFSZ, signal.SIGABRT,
                 signal.SIGSEGV, signal.SIGBUS, signal.SIGFPE, signal.SIGILL, signal.SIGTRAP, signal.SIGSYS,
                 signal.SIGIO, signal.SIGPWR, signal.SIGPIPE, signal.SIGRTMIN, signal.SIGRTMAX]


class TerminalRestore(unittest.TestCase):
    def start(self, name, work):
        # The wrapping shell ignores the keyboard's signals so that it lives on
        # to record the game's status and the terminal's modes afterwards, and
        # stays so the pane's state is read from a live pane.
        # What the game leaves unread must not reach the shell: `read -t 0` tells whether any is waiting.
        command = ("cd %s && ulimit -c 0 && trap : INT QUIT && stty -g > before && echo shell-marker && "
                   "./console-rpg; echo $? > rc.tmp && stty -g > after && "
                   "{ read -t 0 && echo input-left || echo none; } > unread && mv rc.tmp rc; sleep 60") % work
        return Tmux(self, name, command)

    def check_restored(self, tmux, work, expected_status, typed_ahead=False):
        status = wait_for_file(os.path.join(work, "rc"))
        self.assertIsNotNone(status, "the game did not end")
        self.assertEqual(int(status), expected_status)
        if typed_ahead:
            self.assertEqual(wait_for_file(os.path.join(work, "unread")), "none", "typed-ahead keys reached the shell")
        with open(os.path.join(work, "before")) as before, open(os.path.join(work, "after")) as after:
            self.assertEqual(before.read(), after.read(), "terminal modes differ")
        self.assertEqual(tmux.query("#{alternate_on}"), "0", "still on the alternate screen")
        self.assertEqual(tmux.query("#{cursor_flag}"), "1", "cursor left hidden")
        screen = "\n".join(tmux.screen())
        self.assertIn("shell-marker", screen, "the shell's screen was not brought back")
        self.assertNotIn(HERO, screen)

    def field_shown(self, tmux):
        """The game's process id once its field is shown."""
        tmux.wait_for(lambda s: HERO in "".join(s), what="the field")
        self.assertEqual(tmux.query("#{alternate_on}"), "1")
        pid = game_pid(tmux.pane_pid())
        self.assertIsNotNone(pid)
        return pid

    def test_signals_restore_the_terminal_and_end_with_their_own_status(self):
        ways = [("ctrl-c", lambda tmux, pid: tmux.send("C-c"), signal.SIGINT),
                ("ctrl-backslash", lambda tmux, pid: tmux.send("C-\\"), signal.SIGQUIT)]
        ways += [(sig.name, lambda tmux, pid, sig=sig: os.kill(pid, sig), sig) for sig in FATAL_SIGNALS]
        # Every way at once, a game each, taken step by step together.
        games = []
        for name, _, _ in ways:
            work = make_work_dir(self, game_link=True)
            games.append((work, self.start(name, work)))
        pids = [self.field_shown(tmux) for _, tmux in games]
        # Keys typed while the game could not read them are still waiting when it ends.
        for (_, tmux), pid in zip(games, pids):
            os.kill(pid, signal.SIGSTOP)
            tmux.send("typed-ahead", "Enter")
        time.sleep(0.1)
        for (_, end, _), (_, tmux), pid in zip(ways, games, pids):
            end(tmux, pid)
            os.kill(pid, signal.SIGCONT)
        for (name, _, sig), (work, tmux) in zip(ways, games):
            with self.subTest(way=name):
                self.check_restored(tmux, work, 128 + sig, typed_ahead=True)

    def test_ctrl_c_ends_the_game_at_once_after_a_huge_paste(self):
        # A paste that filled the terminal's input buffer used to hold Ctrl+C back behind it.
        work = make_work_dir(self, game_link=True)
        tmux = self.start("paste", work)
        self.field_shown(tmux)
        tmux.paste(b"\x1b[D\x1b[C" * (512 * 1024 // 6))
        tmux.send("C-c")
        sent = time.monotonic()
        status = wait_for_file(os.path.join(work, "rc"), timeout=10)
        self.assertIsNotNone(status, "the game did not end")
        # Held behind the paste's 170 000 keys, read one a pass, it would take half an hour; the paste is
        # no larger than that takes, since passing it through tmux costs a loaded machine a second a megabyte.
        self.assertLess(time.monotonic() - sent, 1.5, "Ctrl+C took too long")
        self.check_restored(tmux, work, 130)

    def test_the_fatal_stops_restore_the_terminal(self):
        work = make_work_dir(self, missing=["test.txt"], game_link=True)
        tmux = self.start("nomap", work)
        self.check_restored(tmux, work, 255)


class StalledOutput(unittest.TestCase):
    """A terminal that takes no output must never hold the game's end, nor keep the input raw."""

    def end_with_sigterm(self, keyboard, process, before):
        process.send_signal(signal.SIGTERM)
        status = process.wait(timeout=5)
        ended = time.monotonic()
        self.assertEqual(status, -signal.SIGTERM)
        self.assertEqual(keyboard.modes(), before, "the keyboard's terminal modes were not restored")
        return ended

    def test_sigterm_ends_the_game_within_a_second_whatever_the_output_does(self):
        for case in ("stopped", "second terminal", "non-blocking"):
            with self.subTest(case=case):
                keyboard = Pty(self)
                screen = Pty(self) if case == "second terminal" else keyboard
                if case == "non-blocking":
                    screen.set_nonblocking()
                before = keyboard.modes()
                process = start_on_pty(self, make_work_dir(self), keyboard, screen)
                screen.wait_for(self, HERO.encode())
                screen.stop_output()
                os.write(keyboard.master, b"\x1b[D\x1b[C" * 50)  # frames back up behind the stop
                time.sleep(0.3)
                started = time.monotonic()
                if case == "non-blocking":
                    # The terminal reads again soon after: the way out must wait for it.
                    timer = threading.Timer(0.03, screen.stop_output, args=(False,))
                    timer.start()
                    self.addCleanup(timer.cancel)
                ended = self.end_with_sigterm(keyboard, process, before)
                self.assertLess(ended - started, 1.0)
                if case == "non-blocking":
                    screen.wait_for(self, b"\x1b[?1049l", timeout=1)


class GoneTerminal(unittest.TestCase):
    def test_a_closed_terminal_ends_the_game_as_a_hang_up_does_even_with_hang_ups_ignored(self):
        # Under nohup the game used to live on for good after its window closed, with nowhere to draw.
        for where, missing, shown in (("the field", (), HERO), ("the notice", ["Hero_Status_Info.txt"], NOTICE[0])):
            with self.subTest(where=where):
                master, slave = os.openpty()
                ignored = signal.signal(signal.SIGHUP, signal.SIG_IGN)  # inherited, as nohup leaves it
                try:
                    process = start_on_pty(self, make_work_dir(self, missing), types.SimpleNamespace(slave=slave))
                finally:
                    signal.signal(signal.SIGHUP, ignored)
                os.close(slave)
                output = b""
                deadline = time.monotonic() + 5
                while shown.encode() not in output and time.monotonic() < deadline:
                    if select.select([master], [], [], 0.1)[0]:
                        output += os.read(master, 65536)
                self.assertIn(shown.encode(), output)
                os.close(master)  # the window closes
                closed = time.monotonic()
                while process.poll() is None and time.monotonic() - closed < 3:
                    time.sleep(0.01)
                self.assertIsNotNone(process.poll(), "the game lives on after its terminal closed")
                self.assertLess(time.monotonic() - closed, 1.0)
                self.assertEqual(process.returncode, -signal.SIGHUP)


if __name__ == "__main__":
    unittest.main()
