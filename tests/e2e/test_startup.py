"""A newcomer's first minute: the field, the hero and the pawn on screen, and the notice."""

import os
import pty
import select
import subprocess
import time
import unittest

from harness import (BINARY, HERO, STATUS_FILES, Tmux, decoded_map, make_work_dir, overlay, wait_for_file)

NOTICE = [
    "ファイルが存在しないため情報の初期化に失敗しました。",
    "ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。",
    "ファイルが見つからない場合はもう一度ダウンロードしてください。",
    " 30 秒後に強制終了しますので手動で閉じないでください。",
]


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
                tmux = Tmux(self, "notice", "cd %s && echo before-the-game && python3 %s %s %s" % (
                    work, os.path.join(os.path.dirname(__file__), "measure.py"), result, BINARY))
                screen = tmux.wait_for(lambda s: NOTICE[3] in "\n".join(s), what="the notice")
                start = screen.index("before-the-game")
                self.assertEqual(screen[start + 1:start + 5], NOTICE)
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
