"""A newcomer's first minute: the field, the hero and the pawn on screen, and the notice."""

import os
import pty
import select
import socket
import subprocess
import time
import unittest

from harness import (BINARY, HERO, STATUS_FILES, Pty, Tmux, decoded_map, make_work_dir, overlay, start_on_pty,
                     wait_for_file)

NOTICE = [
    "ファイルが存在しないため情報の初期化に失敗しました。",
    "ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。",
    "ファイルが見つからない場合はもう一度ダウンロードしてください。",
    " 30 秒後に強制終了しますので手動で閉じないでください。",
]


def bind_socket(path):
    with socket.socket(socket.AF_UNIX) as listener:
        listener.bind(path)


class StartUp(unittest.TestCase):
    def test_field_hero_and_pawn_are_drawn_at_their_places(self):
        work = make_work_dir(self)
        tmux = Tmux(self, "field", "cd %s && %s" % (work, BINARY))
        screen = tmux.wait_for(lambda s: HERO in "".join(s) and "歩" in "".join(s), what="hero and pawn")
        expected = decoded_map(os.path.join(work, "test.txt"))
        expected[3] = overlay(expected[3], 8, "歩")   # the pawn, always at column 8, row 3
        expected[8] = overlay(expected[8], 30, HERO + " ")  # the hero's stored place
        for row in range(19):
            self.assertEqual(screen[row].rstrip(), expected[row].rstrip(), "row %d" % row)
        for row in range(19, 25):
            self.assertEqual(screen[row].strip(), "", "row %d" % row)

    def test_a_missing_status_file_shows_the_notice_and_ends_after_30_seconds(self):
        # Two files in turn: the first loader and the last one.
        for missing in (STATUS_FILES[0], STATUS_FILES[-1]):
            with self.subTest(missing=missing):
                work = make_work_dir(self)
                os.remove(os.path.join(work, missing))
                result = os.path.join(work, "result")
                # What the shell would read after the game: keys typed during the notice must not be there.
                tmux = Tmux(self, "notice", "cd %s && stty -g > before && echo before-the-game && python3 %s %s %s; "
                            "stty -g > after; read -t 0.3 typed; echo \"[$typed]\" > typed.tmp; mv typed.tmp typed" % (
                                work, os.path.join(os.path.dirname(__file__), "measure.py"), result, BINARY))
                screen = tmux.wait_for(lambda s: NOTICE[3] in "\n".join(s), what="the notice")
                start = screen.index("before-the-game")
                self.assertEqual(screen[start + 1:start + 5], NOTICE)
                tmux.send("Left")
                tmux.send("touch leaked", "Enter")
                outcome = wait_for_file(result, timeout=40)
                self.assertIsNotNone(outcome, "the game did not end")
                status, elapsed, cpu, _ = outcome.split()
                self.assertEqual(int(status), 255)
                self.assertGreaterEqual(float(elapsed), 29.0)
                self.assertLess(float(elapsed), 31.0)
                self.assertLess(float(cpu), 0.5, "the wait must not keep a processor busy")
                # The notice stays readable on the normal screen after the end.
                self.assertEqual(tmux.query("#{alternate_on}"), "0")
                self.assertIn(NOTICE[0], "\n".join(tmux.screen()))
                self.assertEqual(wait_for_file(os.path.join(work, "typed")), "[]", "type-ahead reached the shell")
                self.assertNotIn("^[", "\n".join(tmux.screen()), "keys were echoed on the notice")
                self.assertNotIn("touch", "\n".join(tmux.screen()), "keys were echoed on the notice")
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
                    work = make_work_dir(self)
                    os.remove(os.path.join(work, name))
                    make(os.path.join(work, name))
                    terminal = Pty(self)
                    process = start_on_pty(self, work, terminal)
                    if name == "test.txt":
                        self.assertEqual(process.wait(timeout=1), 255)
                    else:
                        terminal.wait_for(self, NOTICE[3].encode(), timeout=1)
                        self.assertIsNone(process.poll(), "the notice waits its 30 seconds")

    def test_a_missing_map_ends_at_once_writing_nothing(self):
        work = make_work_dir(self)
        os.remove(os.path.join(work, "test.txt"))
        master, slave = pty.openpty()
        started = time.monotonic()
        process = subprocess.Popen([BINARY], cwd=work, stdin=slave, stdout=slave, stderr=slave)
        os.close(slave)
        status = process.wait(timeout=5)
        elapsed = time.monotonic() - started
        output = b""
        while select.select([master], [], [], 0.2)[0]:
            try:
                chunk = os.read(master, 4096)
            except OSError:
                break
            if not chunk:
                break
            output += chunk
        os.close(master)
        self.assertEqual(status, 255)
        self.assertLess(elapsed, 1.0)
        self.assertEqual(output, b"")


if __name__ == "__main__":
    unittest.main()
