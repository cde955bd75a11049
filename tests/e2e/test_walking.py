# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Walking the hero and the pawn's chase, as a player sees them."""

import os
import time
import unittest

from harness import BINARY, HERO, PAWN, Tmux, find_in, make_work_dir


def place_hero(work, x, y):
    path = os.path.join(work, "Hero_Status_Info.txt")
    with open(path, "rb") as f:
        values = f.read().split()
    values[-2:] = [str(x).encode(), str(y).encode()]
    with open(path, "wb") as f:
        f.write(b" ".join(values) + b"\n")


class Walking(unittest.TestCase):
    def start(self, name, x, y):
        work = make_work_dir(self)
        place_hero(work, x, y)
        tmux = Tmux(self, name, "cd %s && exec %s" % (work, BINARY))
        tmux.wait_for(lambda s: find_in(s, HERO) == (x, y) and find_in(s, PAWN) is not None, what="the field")
        return tmux

    def hero_moves_to(self, tmux, keys, place):
        tmux.send(*keys)
        tmux.wait_for(lambda s: find_in(s, HERO) == place, timeout=3, what="the hero at %s" % (place,))

    def hero_stays(self, tmux, keys, place, then, there):
        """The keys move nothing: the move that follows them (then) lands where it would from place."""
        tmux.send(*keys)
        self.hero_moves_to(tmux, [then], there)

    def test_each_arrow_press_moves_exactly_one_step(self):
        tmux = self.start("arrows", 30, 8)
        for key, place in [("Left", (28, 8)), ("Right", (30, 8)), ("Up", (30, 7)), ("Down", (30, 8)),
                           ("Right", (32, 8)), ("Right", (34, 8)), ("Up", (34, 7))]:
            self.hero_moves_to(tmux, [key], place)
        screen = tmux.screen()
        self.assertEqual(screen[8][:60].count(HERO), 0, "the old places were not erased")

    def test_walls_and_the_field_edges_refuse(self):
        tmux = self.start("walls", 48, 17)  # the bottom-right corner inside the walls
        self.hero_stays(tmux, ["Right", "Down"], (48, 17), "Up", (48, 16))
        for row in range(15, 4, -1):
            self.hero_moves_to(tmux, ["Up"], (48, row))
        # Then into the block of walls at columns 38 to 41 on rows 5 and 6.
        self.hero_moves_to(tmux, ["Left"], (46, 5))
        self.hero_moves_to(tmux, ["Left"], (44, 5))
        self.hero_moves_to(tmux, ["Left"], (42, 5))
        self.hero_stays(tmux, ["Left"], (42, 5), "Up", (42, 4))

    def test_letters_with_the_move_codes_move_and_modified_arrows_do_not(self):
        tmux = self.start("letters", 30, 8)
        self.hero_moves_to(tmux, ["H"], (30, 7))
        self.hero_moves_to(tmux, ["P"], (30, 8))
        self.hero_moves_to(tmux, ["M"], (32, 8))
        self.hero_moves_to(tmux, ["K"], (30, 8))
        # Ctrl+S must not freeze the field either. Escape last and alone: with a key right behind it, the two are one Alt combination.
        self.hero_stays(tmux, ["C-Up", "C-Left", "M-Right", "M-Down", "h", "Home", "F1", "C-s"], (30, 8), "Up", (30, 7))
        tmux.send("Escape")
        time.sleep(0.1)  # well past the decoder's wait for the rest of a sequence
        self.hero_moves_to(tmux, ["Down"], (30, 8))


class Chase(unittest.TestCase):
    def test_the_pawn_closes_in_while_the_hero_keeps_answering(self):
        work = make_work_dir(self)
        place_hero(work, 24, 3)  # 16 columns right of the pawn: near
        tmux = Tmux(self, "chase", "cd %s && exec %s" % (work, BINARY))
        tmux.wait_for(lambda s: find_in(s, HERO) == (24, 3), what="the field")
        started = time.monotonic()
        # Three steps of about 130 ms each on the real clock: seen within 2 s, and never more steps by then
        # than a step every 100 ms allows (the game's clock starts a little before this one).
        screen = tmux.wait_for(lambda s: (find_in(s, PAWN) or (0, 0))[0] >= 14, timeout=2, what="the pawn three steps on")
        elapsed = time.monotonic() - started
        steps = (find_in(screen, PAWN)[0] - 8) // 2
        self.assertLessEqual(steps, elapsed / 0.1 + 2, "%d steps in %.2f s" % (steps, elapsed))
        # The hero walks on during the chase, each press answered at once.
        for n in range(1, 4):
            sent = time.monotonic()
            tmux.send("Right")
            tmux.wait_for(lambda s: find_in(s, HERO) == (24 + 2 * n, 3), timeout=2, what="the hero moving")
            self.assertLess(time.monotonic() - sent, 0.5)
        # And the pawn follows.
        tmux.wait_for(lambda s: (find_in(s, PAWN) or (0, 0))[0] >= 22, timeout=3, what="the pawn following")


if __name__ == "__main__":
    unittest.main()
