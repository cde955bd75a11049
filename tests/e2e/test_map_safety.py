"""Map bytes are drawn, never obeyed: control bytes in a map change nothing but their own cells."""

import os
import unittest

from harness import HERO, Tmux, decoded_map, make_work_dir, text_at


class MapSafety(unittest.TestCase):
    def test_escape_sequences_in_the_map_do_nothing(self):
        work = make_work_dir(self)
        path = os.path.join(work, "test.txt")
        with open(path, "rb") as f:
            data = bytearray(f.read())
        clear_screen = b"\x1b[2J"
        set_title = b"\x1b]2;pwned\x07"
        row5 = 5 * 54
        data[row5 + 4:row5 + 4 + len(clear_screen)] = clear_screen
        data[row5 + 20:row5 + 20 + len(set_title)] = set_title
        with open(path, "wb") as f:
            f.write(data)
        tmux = Tmux(self, "escapes", "cd %s && printf '\\033]2;%%s\\007' before && exec %s" % (
            work, os.environ["CONSOLE_RPG"]))
        screen = tmux.wait_for(lambda s: HERO in "".join(s), what="the field")
        self.assertEqual(tmux.query("#{pane_title}"), "before")
        expected = decoded_map(os.path.join(os.environ["GAME_DATA"], "test.txt"))
        for row in (0, 1, 2, 4, 6, 18):
            self.assertEqual(screen[row].rstrip(), expected[row].rstrip(), "row %d" % row)
        # Every byte took exactly one column: the right wall is still in place.
        self.assertEqual(text_at(screen[5], 50), "＃")
        self.assertEqual(text_at(screen[5], 0), "＃")
        for column in range(4, 4 + len(clear_screen)):
            shown = text_at(screen[5], column)
            self.assertNotIn(shown, ("", " "), "column %d shows nothing" % column)
        self.assertNotIn("\x1b", "".join(screen))

    def test_ambiguous_width_characters_cover_two_columns(self):
        work = make_work_dir(self)
        path = os.path.join(work, "test.txt")
        with open(path, "rb") as f:
            data = bytearray(f.read())
        row = 2 * 54
        # ■ ● ＃ a: two ambiguous-width glyphs, a wide one and a single byte.
        data[row + 10:row + 17] = "■●＃a".encode("cp932")
        with open(path, "wb") as f:
            f.write(data)
        tmux = Tmux(self, "widths", "cd %s && exec %s" % (work, os.environ["CONSOLE_RPG"]))
        screen = tmux.wait_for(lambda s: "■" in s[2], what="the field")
        self.assertEqual(text_at(screen[2], 10), "■")
        self.assertEqual(text_at(screen[2], 12), "●")
        self.assertEqual(text_at(screen[2], 14), "＃")
        self.assertEqual(text_at(screen[2], 16), "a")
        self.assertEqual(text_at(screen[2], 50), "＃")


if __name__ == "__main__":
    unittest.main()
