"""Drives the real console-rpg binary in tmux, the terminal people play in.

Each test gets its own tmux server and its own working directory with a copy of
the sample data, so tests never share state and never touch game/.
"""

import fcntl
import os
import pty
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import termios
import threading
import time
import unicodedata
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
BINARY = os.environ.get("CONSOLE_RPG", os.path.join(ROOT, "build/console-rpg"))
CHECKER = os.environ.get("CONSOLE_RPG_CHECK", os.path.join(ROOT, "build/console-rpg-check"))
GAME_DATA = os.environ.get("GAME_DATA", os.path.join(ROOT, "game"))
# The Windows build's program, cross-compiled by `make windows`; the zip is made beside it.
WINDOWS_EXE = os.environ.get("CONSOLE_RPG_EXE", os.path.join(ROOT, "build-windows/console-rpg.exe"))


def project_version():
    """The version set once in CMakeLists.txt, as the build passes it on."""
    if "CONSOLE_RPG_VERSION" in os.environ:
        return os.environ["CONSOLE_RPG_VERSION"]
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(console_rpg VERSION (\S+)", f.read()).group(1)

STATUS_FILES = [
    "Hero_Status_Info.txt", "Pawn_Status_Info.txt", "Knight_Status_Info.txt", "Bishop_Status_Info.txt",
    "Rook_Status_Info.txt", "Queen_Status_Info.txt", "King_Status_Info.txt", "SwordCut.txt", "Flame.txt",
    "BigRevolveSword.txt", "HellFlame.txt", "AbsoluteObedience.txt",
]

HERO = "\u25cf"  # ●


def columns_of(line):
    """Maps a captured line to {column: character}, by display width as tmux counts it."""
    cells = {}
    column = 0
    for ch in line:
        cells[column] = ch
        column += 2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1
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
            return sum(2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1 for ch in line[:index]), row
    return None


def make_work_dir(test):
    """A scratch copy of the sample data, removed after the test."""
    work = tempfile.mkdtemp(prefix="console-rpg-e2e-")
    test.addCleanup(shutil.rmtree, work, True)
    for name in os.listdir(GAME_DATA):
        shutil.copy(os.path.join(GAME_DATA, name), work)
    return work


class Tmux:
    """One tmux server with one 80 x 25 pane running a shell command."""

    def __init__(self, test, name, command, width=80, height=25, env=None):
        self.socket = "crpg-%s-%d" % (name, os.getpid())
        self.test = test
        full_env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8", TERM="screen")
        full_env.update(env or {})
        self._tmux("kill-server", check=False)
        subprocess.run(
            ["tmux", "-L", self.socket, "-f", "/dev/null", "new-session", "-d", "-x", str(width), "-y", str(height),
             "bash", "--norc", "--noprofile", "-c", command],
            check=True, env=full_env)
        self._tmux("set-option", "-g", "remain-on-exit", "on", check=False)
        test.addCleanup(self._tmux, "kill-server", check=False)

    def _tmux(self, *args, check=True):
        return subprocess.run(["tmux", "-L", self.socket] + list(args), check=check,
                              capture_output=True, text=True).stdout

    def screen(self):
        return self._tmux("capture-pane", "-p").split("\n")

    def query(self, fmt):
        return self._tmux("display-message", "-p", fmt).strip()

    def send(self, *keys):
        self._tmux("send-keys", *keys)

    def send_bytes(self, data):
        """Sends raw bytes, as a terminal would deliver them."""
        self._tmux("send-keys", "-H", *["%02x" % b for b in data])

    def pane_pid(self):
        return int(self.query("#{pane_pid}"))

    def wait_for(self, predicate, timeout=10.0, what="the screen"):
        deadline = time.monotonic() + timeout
        screen = self.screen()
        while time.monotonic() < deadline:
            screen = self.screen()
            if predicate(screen):
                return screen
            time.sleep(0.02)
        self.test.fail("timed out waiting for %s; screen was:\n%s" % (what, "\n".join(screen)))


def wait_for_file(path, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if os.path.exists(path) and os.path.getsize(path) > 0:
            with open(path) as f:
                text = f.read()
            if text.endswith("\n"):
                return text.strip()
        time.sleep(0.02)
    return None


def game_pid(shell_pid):
    """The console-rpg process started by the pane's shell."""
    out = subprocess.run(["pgrep", "-P", str(shell_pid), "-x", "console-rpg"], capture_output=True, text=True).stdout
    pids = [int(p) for p in out.split()]
    return pids[0] if pids else None


def overlay(line, column, text):
    """The captured line with text drawn from the given display column on."""
    cells = []
    for ch in line:
        cells.append(ch)
        if unicodedata.east_asian_width(ch) in ("W", "F"):
            cells.append(None)  # the right half of a wide character
    while len(cells) < column + len(text) + 1:
        cells.append(" ")
    at = column
    for ch in text:
        cells[at] = ch
        at += 1
        if unicodedata.east_asian_width(ch) in ("W", "F"):
            cells[at] = None
            at += 1
    return "".join(c for c in cells if c is not None).rstrip()


def decoded_map(path):
    """The sample map as the rows a terminal shows: code page 932 decoded, line feeds dropped."""
    with open(path, "rb") as f:
        data = f.read()
    return [data[i * 54:i * 54 + 53].decode("cp932") for i in range(19)]


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
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if needle in self.received():
                return
            time.sleep(0.01)
        test.fail("no %r from the game within %.1f s" % (needle, timeout))


def start_on_pty(test, work, terminal, output=None):
    """The game with the terminal as its controlling terminal and input; output to another one if given."""
    out = (output or terminal).slave

    def own_session():
        os.setsid()
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)

    process = subprocess.Popen([BINARY], cwd=work, stdin=terminal.slave, stdout=out, stderr=out,
                               preexec_fn=own_session, env=dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8"))
    test.addCleanup(lambda: process.poll() is None and process.kill())
    return process


def built_package(test, build_dir, name_format):
    """The package `make package` made in a build, named by name_format % its version, and what the build packages
    ({"version": "x.y.z", "checker": whether it builds the checker}); the test is skipped where there is none."""
    with open(os.path.join(build_dir, "package-facts.txt")) as f:
        facts = dict(line.strip().split("=", 1) for line in f if "=" in line)
    path = os.path.join(build_dir, name_format % facts["version"])
    if not os.path.isfile(path):
        test.skipTest("no %s: run `make package`" % path)
    return path, {"version": facts["version"], "checker": facts["checker"] == "1"}


SIGNAL_STATUS = {sig: 128 + sig for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT)}

main = unittest.main
