"""Every way out gives the terminal back exactly as it was."""

import os
import signal
import unittest

from harness import HERO, SIGNAL_STATUS, Tmux, game_pid, make_work_dir, wait_for_file


class TerminalRestore(unittest.TestCase):
    def start(self, name, work):
        # The wrapping shell ignores the keyboard's signals so that it lives on
        # to record the game's status and the terminal's modes afterwards, and
        # stays so the pane's state is read from a live pane.
        command = ("cd %s && trap : INT QUIT && stty -g > before && echo shell-marker && "
                   "./console-rpg; echo $? > rc.tmp && stty -g > after && mv rc.tmp rc; sleep 60") % work
        tmux = Tmux(self, name, command)
        return tmux

    def check_restored(self, tmux, work, expected_status):
        status = wait_for_file(os.path.join(work, "rc"))
        self.assertIsNotNone(status, "the game did not end")
        self.assertEqual(int(status), expected_status)
        with open(os.path.join(work, "before")) as before, open(os.path.join(work, "after")) as after:
            self.assertEqual(before.read(), after.read(), "terminal modes differ")
        self.assertEqual(tmux.query("#{alternate_on}"), "0", "still on the alternate screen")
        self.assertEqual(tmux.query("#{cursor_flag}"), "1", "cursor left hidden")
        screen = "\n".join(tmux.screen())
        self.assertIn("shell-marker", screen, "the shell's screen was not brought back")
        self.assertNotIn(HERO, screen)

    def test_signals_restore_the_terminal_and_end_with_their_own_status(self):
        ways = [
            ("ctrl-c", lambda tmux, pid: tmux.send("C-c"), signal.SIGINT),
            ("ctrl-backslash", lambda tmux, pid: tmux.send("C-\\"), signal.SIGQUIT),
            ("sigterm", lambda tmux, pid: os.kill(pid, signal.SIGTERM), signal.SIGTERM),
            ("sighup", lambda tmux, pid: os.kill(pid, signal.SIGHUP), signal.SIGHUP),
        ]
        for name, end, sig in ways:
            with self.subTest(way=name):
                work = make_work_dir(self)
                os.symlink(os.environ.get("CONSOLE_RPG", ""), os.path.join(work, "console-rpg"))
                tmux = self.start(name, work)
                tmux.wait_for(lambda s: HERO in "".join(s), what="the field")
                self.assertEqual(tmux.query("#{alternate_on}"), "1")
                pid = game_pid(tmux.pane_pid())
                self.assertIsNotNone(pid)
                end(tmux, pid)
                self.check_restored(tmux, work, SIGNAL_STATUS[sig])

    def test_the_fatal_stops_restore_the_terminal(self):
        work = make_work_dir(self)
        os.symlink(os.environ.get("CONSOLE_RPG", ""), os.path.join(work, "console-rpg"))
        os.remove(os.path.join(work, "test.txt"))
        tmux = self.start("nomap", work)
        self.check_restored(tmux, work, 255)


if __name__ == "__main__":
    unittest.main()
