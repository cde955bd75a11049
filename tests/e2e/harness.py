# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""What every end-to-end test shares: the programs and data under test, the glyphs and texts the
game shows, the width rule, and the terminals the game runs in (a tmux pane, or a pseudo-terminal).

Each test gets its own tmux server and its own working directory with a copy of the sample data,
so tests never share state and never touch game/. ctest names the programs and data in the
environment; a test run by hand (python3 tests/e2e/test_x.py) finds them in build/,
build-windows/ and game/. This is the one file that reads the environment.
"""

import fcntl
import os
import pty
import re
import shutil
import struct
import subprocess
import tempfile
import termios
import threading
import time
import unicodedata
from pathlib import Path

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
BINARY = os.environ.get("CONSOLE_RPG", os.path.join(ROOT, "build/console-rpg"))
CHECKER = os.environ.get("CONSOLE_RPG_CHECK", os.path.join(ROOT, "build/console-rpg-check"))
GAME_DATA = os.environ.get("GAME_DATA", os.path.join(ROOT, "game"))
# The Windows build's program, cross-compiled by `make windows`; the zip is made beside it.
WINDOWS_EXE = os.environ.get("CONSOLE_RPG_EXE", os.path.join(ROOT, "build-windows/console-rpg.exe"))
BUILD = os.path.dirname(os.path.abspath(BINARY))
WINDOWS_BUILD = os.path.dirname(os.path.abspath(WINDOWS_EXE))
# The wine prefix lives beside the build it serves: made on the first run, reused after.
WINE_PREFIX = os.environ.get("CONSOLE_RPG_WINEPREFIX", os.path.join(WINDOWS_BUILD, "wine-prefix"))
# Runs a command in a pane and writes its status and times to a file.
MEASURE = os.path.join(HERE, "measure.py")
# The version set once in CMakeLists.txt, as the build passes it on.
VERSION = os.environ.get("CONSOLE_RPG_VERSION") or re.search(
    r"project\(console_rpg VERSION (\S+)", Path(ROOT, "CMakeLists.txt").read_text()).group(1)

STATUS_FILES = [
    "Hero_Status_Info.txt", "Pawn_Status_Info.txt", "Knight_Status_Info.txt", "Bishop_Status_Info.txt",
    "Rook_Status_Info.txt", "Queen_Status_Info.txt", "King_Status_Info.txt", "SwordCut.txt", "Flame.txt",
    "BigRevolveSword.txt", "HellFlame.txt", "AbsoluteObedience.txt",
]

HERO = "\u25cf"  # ●
PAWN = "\u6b69"  # 歩
WALL = "\uff03"  # ＃
PAWN_START = (8, 3)  # (column, row): the pawn always starts here
SAMPLE_HERO = (30, 8)  # where the sample hero stands

# What the game shows when a status file is missing, for 30 seconds before it ends.
NOTICE = [
    "ファイルが存在しないため情報の初期化に失敗しました。",
    "ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。",
    "ファイルが見つからない場合はもう一度ダウンロードしてください。",
    " 30 秒後に強制終了しますので手動で閉じないでください。",
]

# The game runs in a UTF-8 locale, as on a player's terminal; the programs
# beside it speak English there (LANGUAGE would still choose another).
GAME_ENV = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
GAME_ENV.pop("LANGUAGE", None)


def environment(*changes, only_path=False):
    """GAME_ENV with each dict of changes applied in turn, a variable set to None removed; only_path starts
    from PATH alone instead, as a program started with nothing else set would have it."""
    env = {"PATH": os.environ["PATH"]} if only_path else dict(GAME_ENV)
    for change in changes:
        env.update(change or {})
    return {name: value for name, value in env.items() if value is not None}


def width_of(ch):
    """Display columns of a character, as tmux counts them."""
    return 2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1


def columns_of(line):
    """Maps a captured line to {column: character}, by display width as tmux counts it."""
    cells = {}
    column = 0
    for ch in line:
        cells[column] = ch
        column += width_of(ch)
    return cells


def text_at(line, column, length=1):
    """The characters that start at the given columns of a captured line."""
    cells = columns_of(line)
    return "".join(cells.get(c, "") for c in range(column, column + length))


def find_in(lines, text):
    """(column, row) of the first place the text starts, or None."""
    for row, line in enumerate(lines):
        index = line.find(text)
        if index >= 0:
            return sum(width_of(ch) for ch in line[:index]), row
    return None


def overlay(line, column, text):
    """The captured line with text drawn from the given display column on."""
    cells = []
    for ch in line:
        cells.append(ch)
        if width_of(ch) == 2:
            cells.append(None)  # the right half of a wide character
    while len(cells) < column + len(text) + 1:
        cells.append(" ")
    at = column
    for ch in text:
        cells[at] = ch
        at += 1
        if width_of(ch) == 2:
            cells[at] = None
            at += 1
    return "".join(c for c in cells if c is not None).rstrip()


MAP_ROW_BYTES = 54  # 53 bytes of cells and a line feed


def decoded_map(path):
    """The sample map as the rows a terminal shows: code page 932 decoded, line feeds dropped."""
    with open(path, "rb") as f:
        data = f.read()
    return [data[i * MAP_ROW_BYTES:(i + 1) * MAP_ROW_BYTES - 1].decode("cp932") for i in range(19)]


def plant_in_map(work, column, row, data):
    """Overwrites the bytes of the work directory's map from a byte column of a row on."""
    with open(os.path.join(work, "test.txt"), "r+b") as f:
        f.seek(row * MAP_ROW_BYTES + column)
        f.write(data)


def expected_field(hero_at=SAMPLE_HERO, map_path=os.path.join(GAME_DATA, "test.txt")):
    """The 19 rows of the field with the pawn at its start and the hero at hero_at, without trailing blanks."""
    rows = decoded_map(map_path)
    rows[PAWN_START[1]] = overlay(rows[PAWN_START[1]], PAWN_START[0], PAWN)
    rows[hero_at[1]] = overlay(rows[hero_at[1]], hero_at[0], HERO + " ")
    return [row.rstrip() for row in rows]


def make_work_dir(test, missing=(), game_link=False):
    """A scratch copy of the sample data without the files named in missing, removed after the test;
    with game_link, ./console-rpg in it is a link to the game."""
    work = tempfile.mkdtemp(prefix="console-rpg-e2e-")
    test.addCleanup(shutil.rmtree, work, True)
    for name in os.listdir(GAME_DATA):
        if name not in missing:
            shutil.copy(os.path.join(GAME_DATA, name), work)
    if game_link:
        os.symlink(BINARY, os.path.join(work, "console-rpg"))
    return work


def poll(probe, timeout, interval=0.02):
    """probe()'s first true result within timeout seconds, or None."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result or time.monotonic() >= deadline:
            return result or None
        time.sleep(interval)


def wait_for_file(path, timeout=10.0):
    """The text of a file once it is written to its last line end, stripped; None if not within timeout."""
    def written():
        if os.path.exists(path) and os.path.getsize(path) > 0:
            text = Path(path).read_text()
            return text if text.endswith("\n") else None

    text = poll(written, timeout)
    return None if text is None else text.strip()


class Tmux:
    """One tmux server of the test's own with one pane (80 x 25 unless told) running a shell command;
    env holds changes to the game's environment, as environment() applies them."""

    def __init__(self, test, name, command, width=80, height=25, env=None):
        self.socket = "crpg-%s-%d" % (name, os.getpid())
        self.test = test
        self.kill_server()
        subprocess.run(
            ["tmux", "-L", self.socket, "-f", "/dev/null", "new-session", "-d", "-x", str(width), "-y", str(height),
             "bash", "--norc", "--noprofile", "-c", command],
            check=True, env=environment({"TERM": "screen"}, env))
        self._tmux("set-option", "-g", "remain-on-exit", "on", check=False)
        test.addCleanup(self.kill_server)

    def _tmux(self, *args, check=True):
        return subprocess.run(["tmux", "-L", self.socket] + list(args), check=check,
                              capture_output=True, text=True).stdout

    def kill_server(self):
        """Ends the server and so closes the pane's terminal, as closing a terminal window does."""
        self._tmux("kill-server", check=False)

    def screen(self):
        return self._tmux("capture-pane", "-p").split("\n")

    def query(self, fmt):
        return self._tmux("display-message", "-p", fmt).strip()

    def send(self, *keys):
        self._tmux("send-keys", *keys)

    def send_bytes(self, data):
        """Sends raw bytes, as a terminal would deliver them."""
        self._tmux("send-keys", "-H", *["%02x" % b for b in data])

    def paste(self, data):
        """Pastes the bytes as they are, as a terminal pastes a clipboard into the program."""
        with tempfile.NamedTemporaryFile(suffix=".paste") as f:
            f.write(data)
            f.flush()
            self._tmux("load-buffer", "-b", "paste", f.name)
        self._tmux("paste-buffer", "-r", "-b", "paste")

    def resize(self, width, height):
        self._tmux("resize-window", "-x", str(width), "-y", str(height))

    def pane_pid(self):
        return int(self.query("#{pane_pid}"))

    def wait_for(self, predicate, timeout=10.0, what="the screen"):
        """The screen once predicate holds for it; the test fails if it does not within timeout."""
        def matching():
            screen = self.screen()
            return screen if predicate(screen) else None

        screen = poll(matching, timeout)
        if screen is None:
            self.test.fail("timed out waiting for %s; screen was:\n%s" % (what, "\n".join(self.screen())))
        return screen


def game_pid(shell_pid):
    """The console-rpg process started by the pane's shell."""
    out = subprocess.run(["pgrep", "-P", str(shell_pid), "-x", "console-rpg"], capture_output=True, text=True).stdout
    pids = [int(p) for p in out.split()]
    return pids[0] if pids else None


class Pty:
    """A pseudo-terminal the test holds both ends of: what tmux cannot do, such as stop the
    terminal's output (as a terminal that no longer reads does) or hand the game a second one."""

    def __init__(self, test, width=80, height=25):
        self.master, self.slave = pty.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", height, width, 0, 0))
        test.addCleanup(os.close, self.master)
        test.addCleanup(os.close, self.slave)
        self.output = bytearray()
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            try:
                data = os.read(self.master, 65536)
            except OSError:
                return
            if not data:
                return
            with self.lock:
                self.output += data

    def received(self):
        with self.lock:
            return bytes(self.output)

    def modes(self):
        return termios.tcgetattr(self.slave)

    def stop_output(self, stopped=True):
        """The terminal takes no more output, as after Ctrl+S on a terminal that honours it."""
        termios.tcflow(self.slave, termios.TCOOFF if stopped else termios.TCOON)

    def set_nonblocking(self):
        """Non-blocking for everyone sharing the terminal, the game included."""
        flags = fcntl.fcntl(self.slave, fcntl.F_GETFL)
        fcntl.fcntl(self.slave, fcntl.F_SETFL, flags | os.O_NONBLOCK)

    def wait_for(self, test, needle, timeout=5.0):
        if not poll(lambda: needle in self.received(), timeout, interval=0.01):
            test.fail("no %r from the game within %.1f s" % (needle, timeout))


def start_on_pty(test, work, terminal, output=None):
    """The game with the terminal as its controlling terminal and input; output to another one if given."""
    out = (output or terminal).slave

    def own_session():
        os.setsid()
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)

    process = subprocess.Popen([BINARY], cwd=work, stdin=terminal.slave, stdout=out, stderr=out,
                               preexec_fn=own_session, env=GAME_ENV)
    test.addCleanup(lambda: process.poll() is None and process.kill())
    return process


def built_package(test, build_dir, name_format):
    """The package `make package` made in a build, named by name_format % its version, and what the build packages
    ({"version": "x.y.z", "checker": whether it builds the checker}); the test is skipped where there is none."""
    facts_path = os.path.join(build_dir, "package-facts.txt")
    if not os.path.isfile(facts_path):
        test.skipTest("no build at %s: run `make package`" % build_dir)
    with open(facts_path) as f:
        facts = dict(line.strip().split("=", 1) for line in f if "=" in line)
    path = os.path.join(build_dir, name_format % facts["version"])
    if not os.path.isfile(path):
        test.skipTest("no %s: run `make package`" % path)
    return path, {"version": facts["version"], "checker": facts["checker"] == "1"}
