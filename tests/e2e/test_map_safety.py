# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Map bytes are drawn, never obeyed: control bytes in a map change nothing but their own cells."""

import os
import unittest

from harness import BINARY, GAME_DATA, HERO, WALL, Tmux, decoded_map, make_work_dir, plant_in_map, text_at


class MapSafety(unittest.TestCase):
    def test_escape_sequences_in_the_map_do_nothing(self):
        work = make_work_dir(self)
        clear_screen = b"\x1b[2J"
        set_title = b"\x1b]2;pwned\x07"
        plant_in_map(work, 4, 5, clear_screen)
        plant_in_map(work, 20, 5, set_title)
        tmux = Tmux(self, "escapes", "cd %s && printf '\\033]2;%%s\\007' before && exec %s" % (work, BINARY))
        screen = tmux.wait_for(lambda s: HERO in "".join(s), what="the field")
        self.assertEqual(tmux.query("#{pane_title}"), "before")
        expected = decoded_map(os.path.join(GAME_DATA, "test.txt"))
        for row in (0, 1, 2, 4, 6, 18):
            self.assertEqual(screen[row].rstrip(), expected[row].rstrip(), "row %d" % row)
        # Every byte took exactly one column: the right wall is still in place.
        self.assertEqual(text_at(screen[5], 50), WALL)
        self.assertEqual(text_at(screen[5], 0), WALL)
        for column in range(4, 4 + len(clear_screen)):
            shown = text_at(screen[5], column)
            self.assertNotIn(shown, ("", " "), "column %d shows nothing" % column)
        self.assertNotIn("\x1b", "".join(screen))

    def test_ambiguous_width_characters_cover_two_columns(self):
        work = make_work_dir(self)
        # ■ ● ＃ a: two ambiguous-width glyphs, a wide one and a single byte.
        plant_in_map(work, 10, 2, "■●＃a".encode("cp932"))
        tmux = Tmux(self, "widths", "cd %s && exec %s" % (work, BINARY))
        screen = tmux.wait_for(lambda s: "■" in s[2], what="the field")
        self.assertEqual(text_at(screen[2], 10), "■")
        self.assertEqual(text_at(screen[2], 12), "●")
        self.assertEqual(text_at(screen[2], 14), WALL)
        self.assertEqual(text_at(screen[2], 16), "a")
        self.assertEqual(text_at(screen[2], 50), WALL)


if __name__ == "__main__":
    unittest.main()
