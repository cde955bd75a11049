# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""The installed game and the release packages.

The launcher cases install the build into a scratch prefix and put a stub in the game's place: it
records its process and working directory and ends as it is told, so each case takes milliseconds.
One case plays the real game through the launcher in tmux. The package cases hold what
`make package` built against the list of what each package must carry.
"""

import os
import shutil
import signal
import subprocess
import tarfile
import tempfile
import threading
import unittest
import zipfile

from harness import (BUILD, GAME_DATA, HERO, ROOT, SAMPLE_HERO, STATUS_FILES, VERSION, WINDOWS_BUILD, Tmux,
                     built_package, columns_of, environment, wait_for_file)
from test_check import japanese_locales

DATA_FILES = sorted(STATUS_FILES + ["test.txt"])
HERO_FILE = "Hero_Status_Info.txt"
# The order the launcher looks at them in: the hero file, which marks a folder as set up, last.
LAUNCHER_ORDER = [name for name in DATA_FILES if name != HERO_FILE] + [HERO_FILE]
OTHER_USER = 65534  # nobody
AS_ROOT = os.geteuid() == 0  # only root can hand a file to another user

STUB = """#!/bin/sh
{ echo "$$"; pwd -P; } >"$STUB_RECORD"
[ -z "$STUB_SIGNAL" ] || kill -s "$STUB_SIGNAL" $$
exit "$STUB_STATUS"
"""


def sample(name):
    with open(os.path.join(GAME_DATA, name), "rb") as f:
        return f.read()


SAMPLES = {name: sample(name) for name in DATA_FILES}


def dead_pid():
    """The number of a process that has ended."""
    process = subprocess.Popen(["true"])
    process.wait()
    return process.pid


def contents(folder):
    """Every entry of a folder, hidden ones included: its bytes, or ("link", target) for a symbolic link."""
    found = {}
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        if os.path.islink(path):
            found[name] = ("link", os.readlink(path))
        else:
            with open(path, "rb") as f:
                found[name] = f.read()
    return found


class Launcher(unittest.TestCase):
    def setUp(self):
        self.scratch = os.path.realpath(tempfile.mkdtemp(prefix="console-rpg-install-"))
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.prefix = os.path.join(self.scratch, "prefix")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", self.prefix], check=True, capture_output=True)
        self.launcher = os.path.join(self.prefix, "games", "console-rpg")
        self.samples = os.path.join(self.prefix, "share", "games", "console-rpg")
        self.home = self.new_dir("home")
        self.default_folder = os.path.join(self.home, ".local", "share", "console-rpg")
        self.record = os.path.join(self.scratch, "record")

    def new_dir(self, name, files=None):
        path = os.path.join(self.scratch, name)
        os.makedirs(path)
        for file_name, data in (files or {}).items():
            with open(os.path.join(path, file_name), "wb") as f:
                f.write(data)
        return path

    def missing(self, folder, names):
        """What the launcher says before the game when the named data files are not in the folder."""
        lines = [b"console-rpg: no readable %s in %s\n" % (name.encode(), folder.encode())
                 for name in LAUNCHER_ORDER if name in names]
        checker = os.path.join(self.prefix, "bin", "console-rpg-check")
        if lines and os.path.exists(checker):
            lines.append(b"console-rpg: %s %s says more about the data there\n" % (checker.encode(), folder.encode()))
        return b"".join(lines)

    def stub_the_game(self):
        with open(os.path.join(self.prefix, "libexec", "console-rpg", "console-rpg"), "w") as f:
            f.write(STUB)

    def launch(self, cwd, env=None, status=0, signal_name="", args=(), started=None, first=None):
        """Runs the launcher; returns its status, its output and where the stub ran (None if it did not).
        started, if given, is called with the launcher's process number as soon as it runs; first is a shell
        command run in that same process before the launcher takes it over."""
        if os.path.exists(self.record):
            os.remove(self.record)
        stub = {"HOME": self.home, "STUB_RECORD": self.record, "STUB_STATUS": str(status), "STUB_SIGNAL": signal_name}
        command = ["sh", "-c", first + '; exec "$0" "$@"'] if first else []
        process = subprocess.Popen(command + [self.launcher] + list(args), cwd=cwd, env=environment(stub, env, only_path=True),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if started:
            started(process.pid)
        out, err = process.communicate(timeout=30)
        ran_in = None
        if os.path.exists(self.record):
            with open(self.record) as f:
                pid, ran_in = f.read().split("\n")[:2]
            # exec, not a child: the caller's signals and status are the game's own.
            self.assertEqual(int(pid), process.pid, "the game is not the launcher's own process")
        return process.returncode, out + err, ran_in

    def test_plays_in_a_working_directory_that_holds_the_hero_file(self):
        self.stub_the_game()
        cases = {
            "the whole sample data": SAMPLES,
            # Nothing is written here, but each file the game will miss is named first.
            "a hero file alone": {HERO_FILE: b"mine"},
        }
        for what, files in cases.items():
            with self.subTest(what):
                here = self.new_dir(what, files)
                self.assertEqual(self.launch(here), (0, self.missing(here, set(DATA_FILES) - set(files)), here))
                self.assertEqual(contents(here), files)
        with self.subTest("a hero file that is a broken link: the game says what is wrong"):
            here = self.new_dir("broken")
            os.symlink("nowhere", os.path.join(here, HERO_FILE))
            self.assertEqual(self.launch(here), (0, self.missing(here, DATA_FILES), here))
        self.assertFalse(os.path.exists(os.path.join(self.home, ".local")), "the player's folder was made")

    def test_elsewhere_plays_in_the_player_folder_filled_from_the_samples_the_first_time(self):
        self.stub_the_game()
        xdg = os.path.join(self.scratch, "xdg")
        cases = [
            ("XDG_DATA_HOME set", {"XDG_DATA_HOME": xdg}, os.path.join(xdg, "console-rpg")),
            ("XDG_DATA_HOME unset", {}, self.default_folder),
            ("XDG_DATA_HOME empty", {"XDG_DATA_HOME": ""}, self.default_folder),
            ("XDG_DATA_HOME relative, so ignored", {"XDG_DATA_HOME": "relative"}, self.default_folder),
        ]
        for what, env, folder in cases:
            with self.subTest(what):
                shutil.rmtree(folder, ignore_errors=True)
                # Data without a hero file does not make a folder the game's.
                here = self.new_dir(what, {"test.txt": b"a map alone"})
                for run in ("first", "second"):
                    self.assertEqual(self.launch(here, env), (0, b"", folder), run)
                    self.assertEqual(contents(folder), SAMPLES, run)
                self.assertEqual(os.listdir(here), ["test.txt"])
        with self.subTest("a umask that lets the group write: what the launcher makes is still the player's alone"):
            shutil.rmtree(os.path.join(self.home, ".local"))
            umask = os.umask(0o002)
            try:
                self.assertEqual(self.launch(self.scratch), (0, b"", self.default_folder))
            finally:
                os.umask(umask)
            self.assertEqual(contents(self.default_folder), SAMPLES)

    def test_a_file_the_player_has_is_never_replaced_and_only_dead_fills_leftovers_go(self):
        self.stub_the_game()
        elsewhere = self.new_dir("elsewhere")
        theirs = os.path.join(self.new_dir("theirs", {"Flame.txt": b"theirs"}), "Flame.txt")
        folder = self.default_folder
        flame = os.path.join(folder, "Flame.txt")
        dead, live = ".Flame.txt.partial-%d" % dead_pid(), ".Flame.txt.partial-%d" % os.getpid()
        # Each case: what the folder holds (bytes, or ("link", target)), what it holds after, and the files the
        # launcher names as missing. A link of any kind where a sample goes is the player's, kept as it is.
        cases = [
            # A folder not yet set up (no hero file) gets only what it misses.
            ("their own skill file", {"Flame.txt": b"mine"}, dict(SAMPLES, **{"Flame.txt": b"mine"}), []),
            ("a link where a skill file goes", {"Flame.txt": ("link", theirs)},
             dict(SAMPLES, **{"Flame.txt": ("link", theirs)}), []),
            ("a broken link there", {"Flame.txt": ("link", "nowhere")},
             dict(SAMPLES, **{"Flame.txt": ("link", "nowhere")}), ["Flame.txt"]),
            ("a link to a folder there", {"Flame.txt": ("link", self.scratch)},
             dict(SAMPLES, **{"Flame.txt": ("link", self.scratch)}), ["Flame.txt"]),
            ("a link to itself there", {"Flame.txt": ("link", "Flame.txt")},
             dict(SAMPLES, **{"Flame.txt": ("link", "Flame.txt")}), ["Flame.txt"]),
            # With a hero file it is the player's, as it stands.
            ("their own hero alone", {HERO_FILE: b"mine"}, {HERO_FILE: b"mine"}, set(DATA_FILES) - {HERO_FILE}),
            # What a fill killed outright left: gone once its process is; a running fill's own is kept, as is
            # what only looks like one.
            ("a dead fill's partial file and link", {dead: b"half", dead.replace("Flame", "test"): ("link", theirs)},
             SAMPLES, []),
            ("a dead fill's partial file in a folder set up", dict(SAMPLES, **{dead: b"half"}), SAMPLES, []),
            ("a running fill's partial file", {live: b"half"}, dict(SAMPLES, **{live: b"half"}), []),
            ("names that only look like a partial file", {dead + "x": b"", ".Flame.txt.partial-": b""},
             dict(SAMPLES, **{dead + "x": b"", ".Flame.txt.partial-": b""}), []),
        ]
        if AS_ROOT:
            cases.append(("a link of another user's there", {"Flame.txt": ("link", theirs), "owner": OTHER_USER},
                          dict(SAMPLES, **{"Flame.txt": ("link", theirs)}), []))
        for what, before, after, missing in cases:
            with self.subTest(what):
                shutil.rmtree(folder, ignore_errors=True)
                os.makedirs(folder)
                for name, data in before.items():
                    if name == "owner":
                        os.lchown(flame, data, data)
                    elif isinstance(data, tuple):
                        os.symlink(data[1], os.path.join(folder, name))
                    else:
                        with open(os.path.join(folder, name), "wb") as f:
                            f.write(data)
                self.assertEqual(self.launch(elsewhere), (0, self.missing(folder, missing), folder))
                self.assertEqual(contents(folder), after)
                self.assertEqual(contents(os.path.dirname(theirs)), {"Flame.txt": b"theirs"})
        with self.subTest("a leftover named after the launcher's own process, made before it started"):
            shutil.rmtree(folder)
            os.makedirs(folder)
            first = 'echo half >"%s/.Flame.txt.partial-$$"' % folder
            self.assertEqual(self.launch(elsewhere, first=first), (0, b"", folder))
            self.assertEqual(contents(folder), SAMPLES)
        with self.subTest("a directory that looks like a dead fill's partial file is not the launcher's"):
            os.mkdir(os.path.join(folder, dead))
            self.assertEqual(self.launch(elsewhere), (0, b"", folder))
            self.assertTrue(os.path.isdir(os.path.join(folder, dead)))

    def test_help_and_version_answer_as_installed_commands_do_and_start_nothing(self):
        self.stub_the_game()
        elsewhere = self.new_dir("elsewhere")
        for args, first_line in [(["--help"], b"Usage: console-rpg [--help | --version]"),
                                 (["--version"], b"console-rpg " + VERSION.encode())]:
            with self.subTest(args[0]):
                result = subprocess.run([self.launcher] + args, cwd=elsewhere, capture_output=True, timeout=30,
                                        env=environment({"HOME": self.home, "STUB_RECORD": self.record}, only_path=True))
                self.assertEqual((result.returncode, result.stderr), (0, b""))
                self.assertEqual(result.stdout.split(b"\n")[0], first_line)
                self.assertTrue(result.stdout.endswith(b"\n"))
                self.assertFalse(os.path.exists(self.record), "the game was started")
                self.assertFalse(os.path.exists(os.path.join(self.home, ".local")), "the player's folder was made")

    def test_it_speaks_the_language_of_the_locale_in_its_encoding(self):
        locales = japanese_locales(self)
        if locales is None:
            self.skipTest("localedef cannot make the ja_JP locales here")
        self.stub_the_game()
        here = self.new_dir("here", {HERO_FILE: SAMPLES[HERO_FILE]})
        for locale, encoding, usage, missing in (
                ("C.UTF-8", "utf-8", "Usage: console-rpg [--help | --version]", "no readable Flame.txt in %s"),
                ("ja_JP.UTF-8", "utf-8", "使い方: console-rpg [--help | --version]", "%s に読める Flame.txt がない"),
                ("ja_JP.EUC-JP", "euc_jp", "使い方: console-rpg [--help | --version]", "%s に読める Flame.txt がない"),
                ("ja_JP.SJIS", "shift_jis", "使い方: console-rpg [--help | --version]", "%s に読める Flame.txt がない")):
            with self.subTest(locale):
                env = {"LOCPATH": locales, "LC_ALL": locale}
                result = subprocess.run([self.launcher, "--help"], capture_output=True, timeout=30,
                                        env=environment({"HOME": self.home}, env, only_path=True))
                self.assertEqual(result.stdout.decode(encoding).split("\n")[0], usage)
                status, said, _ = self.launch(here, env)
                self.assertIn("console-rpg: %s\n" % (missing % here), said.decode(encoding))

    def test_the_game_status_and_signals_pass_through_untouched(self):
        self.stub_the_game()
        here = self.new_dir("here", SAMPLES)
        # Not SIGINT: a test run in the background of a shell starts with it ignored.
        cases = [(0, "", 0), (1, "", 1), (7, "", 7), (255, "", 255),
                 (0, "TERM", -signal.SIGTERM), (0, "HUP", -signal.SIGHUP), (0, "USR1", -signal.SIGUSR1)]
        for status, signal_name, expected in cases:
            with self.subTest(status=status, signal=signal_name):
                self.assertEqual(self.launch(here, status=status, signal_name=signal_name), (expected, b"", here))

    def test_a_player_folder_that_cannot_be_set_up_is_reported_and_the_game_not_started(self):
        self.stub_the_game()
        elsewhere = self.new_dir("elsewhere")
        a_file = os.path.join(self.new_dir("files", {"plain": b""}), "plain")
        map_sample = os.path.join(self.samples, "test.txt")
        hero_sample = os.path.join(self.samples, HERO_FILE)
        away = os.path.join(self.scratch, "away")

        def damage_sample(path, make):
            os.rename(path, away)
            make(path)

            def undo():
                if os.path.isdir(path) and not os.path.islink(path):
                    os.rmdir(path)
                elif os.path.lexists(path):
                    os.remove(path)
                os.rename(away, path)
            return undo

        # Each case: the environment, and what to damage in the samples (undone after the case).
        cases = [
            ("the folder would be inside a file", {"XDG_DATA_HOME": a_file}, None),
            ("no HOME and no XDG_DATA_HOME", {"HOME": None}, None),
            # A relative HOME would give a folder in each working directory.
            ("HOME relative", {"HOME": "rel"}, None),
            ("HOME the working directory", {"HOME": "."}, None),
            ("HOME like an option", {"HOME": "-dash"}, None),
            # A damaged install is found before anything is copied.
            ("a sample file is missing", {}, lambda: damage_sample(map_sample, lambda path: None)),
            ("a sample file is a folder", {}, lambda: damage_sample(map_sample, os.mkdir)),
            ("the sample hero is a broken link", {}, lambda: damage_sample(hero_sample, lambda p: os.symlink("no", p))),
        ]
        for what, env, damage in cases:
            with self.subTest(what):
                undo = damage() if damage else None
                try:
                    status, output, ran_in = self.launch(elsewhere, env)
                finally:
                    if undo:
                        undo()
                self.assertEqual(status, 1)
                # The launcher's own line last, after what a command it ran said.
                self.assertTrue(output.endswith(b"\n") and output.split(b"\n")[-2].startswith(b"console-rpg: "), output)
                self.assertIsNone(ran_in)
                self.assertEqual(contents(self.default_folder) if os.path.exists(self.default_folder) else {}, {})
        self.assertEqual(os.listdir(elsewhere), [])
        # A copy that fails part way: the map comes last but the hero of the samples by name, so every other file
        # is copied before it fails (its own process's memory cannot be read from the start).
        undo = damage_sample(map_sample, lambda path: os.symlink("/proc/self/mem", path))
        try:
            status, output, ran_in = self.launch(elsewhere)
        finally:
            undo()
        self.assertEqual((status, ran_in), (1, None))
        self.assertIn(b"\nconsole-rpg: cannot copy ", output)
        # It left nothing half-made, and no hero file: the next start finishes the folder.
        partial = contents(self.default_folder)
        self.assertNotIn(HERO_FILE, partial)
        self.assertNotIn("test.txt", partial)
        self.assertEqual(partial, {name: SAMPLES[name] for name in LAUNCHER_ORDER[:-2]})
        self.assertEqual(self.launch(elsewhere), (0, b"", self.default_folder))
        self.assertEqual(contents(self.default_folder), SAMPLES)

    def test_a_data_folder_someone_else_could_change_is_refused_with_one_line(self):
        self.stub_the_game()
        elsewhere = self.new_dir("elsewhere")
        mine = self.new_dir("mine")

        # Each case: how to make the parent of the folder and the folder (either may be None: made by the
        # launcher), and why the launcher refuses it (None: it plays there). The folder is set up (holds a hero
        # file) or not.
        def directory(mode=0o755, owner=None, files=None):
            def make(path):
                os.makedirs(path)
                for name, data in (files or {}).items():
                    with open(os.path.join(path, name), "wb") as f:
                        f.write(data)
                os.chmod(path, mode)
                if owner is not None:
                    os.chown(path, owner, owner)
            return make

        def link(target, owner=None):
            def make(path):
                os.symlink(target, path)
                if owner is not None:
                    os.lchown(path, owner, owner)
            return make

        set_up = {HERO_FILE: b"mine"}
        others_write, others_own = b"may be written by other users", b"is owned by another user"
        cases = [
            ("a folder everyone may write", None, directory(0o777), others_write),
            ("a folder everyone may write, set up", None, directory(0o777, files=set_up), others_write),
            ("a folder its group may write", None, directory(0o775), others_write),
            ("a sticky folder everyone may write", None, directory(0o1777), others_write),
            ("a parent everyone may write", directory(0o777), None, others_write),
            ("a parent its group may write", directory(0o770), directory(0o700), others_write),
            # Sticky, as /tmp is: nobody else may move the player's folder out of it.
            ("a sticky parent everyone may write", directory(0o1777), None, None),
            ("a folder that is a link of the player's to their own", None, link(mine), None),
            ("a folder that is a broken link", None, link("nowhere"), b"cannot enter"),
            ("a folder that is a link to itself", None, link("console-rpg"), b"cannot enter"),
        ]
        if AS_ROOT:
            theirs = self.new_dir("theirs")
            os.chown(theirs, OTHER_USER, OTHER_USER)
            cases += [
                ("a folder of another user", None, directory(owner=OTHER_USER), others_own),
                ("a folder of another user, set up", None, directory(owner=OTHER_USER, files=set_up), others_own),
                ("a parent of another user", directory(owner=OTHER_USER), directory(0o700), others_own),
                ("a folder that is another user's link to the player's own", None, link(mine, OTHER_USER),
                 b"is a link owned by another user"),
                ("a folder that is the player's link to another user's", None, link(theirs), others_own),
            ]
        for number, (what, make_parent, make_folder, why) in enumerate(cases):
            with self.subTest(what):
                parent = os.path.join(self.scratch, "xdg-%d" % number)
                (make_parent or directory())(parent)
                folder = os.path.join(parent, "console-rpg")
                if make_folder:
                    make_folder(folder)
                before = sorted(os.listdir(parent))
                status, output, ran_in = self.launch(elsewhere, {"XDG_DATA_HOME": parent})
                if why is None:
                    self.assertEqual((status, output), (0, b""))
                    self.assertEqual(ran_in, os.path.realpath(folder))
                    self.assertEqual(contents(folder), SAMPLES)
                    shutil.rmtree(mine)
                    os.mkdir(mine)
                    continue
                self.assertEqual((status, ran_in), (1, None))
                # One line of its own, saying which folder and why.
                lines = output.split(b"\n")
                self.assertEqual(lines[-1], b"", output)
                self.assertTrue(lines[-2].startswith(b"console-rpg: ") and folder.encode() in lines[-2], output)
                self.assertIn(why, lines[-2])
                self.assertEqual(sorted(os.listdir(parent)), before, "something was made beside the folder")
                if os.path.isdir(folder):
                    self.assertEqual(contents(folder), {HERO_FILE: b"mine"} if "set up" in what else {})
                self.assertEqual(contents(mine), {})
                if AS_ROOT:
                    self.assertEqual(contents(theirs), {})

    def test_a_link_planted_where_a_partial_file_goes_is_never_written_through(self):
        # Whoever plants it, however quickly: here the test itself, in a loop racing each launcher.
        self.stub_the_game()
        elsewhere = self.new_dir("elsewhere")
        victim = os.path.join(self.new_dir("victim", {"precious": b"precious"}), "precious")
        starts = []
        for attempt in range(5):
            shutil.rmtree(self.default_folder, ignore_errors=True)
            os.makedirs(self.default_folder)
            done = threading.Event()
            planter = []

            def plant(pid):
                def loop():
                    names = [os.path.join(self.default_folder, ".%s.partial-%d" % (name, pid)) for name in DATA_FILES]
                    while not done.is_set():
                        for name in names:
                            try:
                                os.symlink(victim, name)
                            except FileExistsError:
                                pass
                planter.append(threading.Thread(target=loop))
                planter[0].start()

            try:
                status, output, ran_in = self.launch(elsewhere, started=plant)
            finally:
                done.set()
                planter[0].join()
            starts.append(status)
            with open(victim, "rb") as f:
                self.assertEqual(f.read(), b"precious", "written through a planted link on attempt %d" % attempt)
            # The copy the link stopped is reported, and nothing of it is left marked as set up.
            if status:
                self.assertIn(b"console-rpg: cannot copy ", output)
                self.assertNotIn(HERO_FILE, os.listdir(self.default_folder))
        self.assertIn(1, starts, "the race was never run: no copy met a planted link")

    def test_the_real_game_plays_the_player_folder_and_ctrl_c_gives_130_and_the_terminal_back(self):
        elsewhere = self.new_dir("elsewhere")
        results = self.new_dir("results")
        tmux = Tmux(self, "launcher",
                    "cd %s && trap : INT; stty -g >%s/before; %s; echo $? >%s/rc; stty -g >%s/after"
                    % (elsewhere, results, self.launcher, results, results),
                    env={"HOME": self.home, "XDG_DATA_HOME": ""})
        column, row = SAMPLE_HERO
        tmux.wait_for(lambda s: columns_of(s[row]).get(column) == HERO, what="the hero on the sample field")
        self.assertEqual(contents(self.default_folder), SAMPLES)
        tmux.send("C-c")
        self.assertEqual(wait_for_file(os.path.join(results, "rc")), "130")
        self.assertEqual(wait_for_file(os.path.join(results, "after")), wait_for_file(os.path.join(results, "before")))
        self.assertEqual(os.listdir(elsewhere), [])


class Packages(unittest.TestCase):
    def test_the_debian_package_holds_the_game_where_a_game_goes(self):
        deb, facts = built_package(self, BUILD, "console-rpg_%s_amd64.deb")
        directory, program, data = "drwxr-xr-x", "-rwxr-xr-x", "-rw-r--r--"
        expected = [
            (directory, "./usr/"), (directory, "./usr/games/"), (program, "./usr/games/console-rpg"),
            (directory, "./usr/libexec/"), (directory, "./usr/libexec/console-rpg/"),
            (program, "./usr/libexec/console-rpg/console-rpg"),
            (directory, "./usr/share/"), (directory, "./usr/share/doc/"), (directory, "./usr/share/doc/console-rpg/"),
            (data, "./usr/share/doc/console-rpg/README.md"), (data, "./usr/share/doc/console-rpg/changelog.gz"),
            (data, "./usr/share/doc/console-rpg/copyright"), (data, "./usr/share/doc/console-rpg/README.ja.md"),
            (directory, "./usr/share/games/"), (directory, "./usr/share/games/console-rpg/"),
            (directory, "./usr/share/lintian/"), (directory, "./usr/share/lintian/overrides/"),
            (data, "./usr/share/lintian/overrides/console-rpg"),
            (directory, "./usr/share/man/"), (directory, "./usr/share/man/man6/"),
            (data, "./usr/share/man/man6/console-rpg.6.gz"),
            (directory, "./usr/share/man/ja/"), (directory, "./usr/share/man/ja/man6/"),
            (data, "./usr/share/man/ja/man6/console-rpg.6.gz"),
            (directory, "./usr/share/locale/"), (directory, "./usr/share/locale/ja/"),
            (directory, "./usr/share/locale/ja/LC_MESSAGES/"), (data, "./usr/share/locale/ja/LC_MESSAGES/console-rpg.mo"),
        ] + [(data, "./usr/share/games/console-rpg/" + name) for name in DATA_FILES]
        if facts["checker"]:
            expected += [(directory, "./usr/bin/"), (program, "./usr/bin/console-rpg-check"),
                         (directory, "./usr/share/man/man1/"), (data, "./usr/share/man/man1/console-rpg-check.1.gz"),
                         (directory, "./usr/share/man/ja/man1/"),
                         (data, "./usr/share/man/ja/man1/console-rpg-check.1.gz")]
        listing = subprocess.run(["dpkg-deb", "-c", deb], check=True, capture_output=True, text=True).stdout
        rows = [line.split() for line in listing.splitlines()]
        self.assertEqual(sorted((row[0], row[-1]) for row in rows), sorted(expected))
        self.assertEqual({row[1] for row in rows}, {"root/root"})

        fields = subprocess.run(["dpkg-deb", "-f", deb, "Package", "Version", "Architecture", "Section"],
                                check=True, capture_output=True, text=True).stdout
        self.assertEqual(fields.splitlines(), ["Package: console-rpg", "Version: " + facts["version"],
                                               "Architecture: amd64", "Section: games"])
        depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], check=True, capture_output=True, text=True)
        self.assertIn("libc6 (>= ", depends.stdout, "the dependencies dpkg-shlibdeps finds")
        self.assertIn("gettext-base", depends.stdout, "what the launcher speaks Japanese with")

        tree = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], check=True, capture_output=True).stdout
        with tempfile.TemporaryFile() as f:
            f.write(tree)
            f.seek(0)
            with tarfile.open(fileobj=f) as tar:
                packed = {name: tar.extractfile("./usr/share/games/console-rpg/" + name).read() for name in DATA_FILES}
                launcher = tar.extractfile("./usr/games/console-rpg").read().decode()
        self.assertEqual(packed, SAMPLES)
        # The launcher names the paths of the installed package, not of the build's staging area.
        self.assertIn("\ngame='/usr/libexec/console-rpg/console-rpg'\n", launcher)
        self.assertIn("\nsamples='/usr/share/games/console-rpg'\n", launcher)
        self.assertIn("\nversion='%s'\n" % facts["version"], launcher)
        self.assertIn("\nchecker='%s'\n" % ("/usr/bin/console-rpg-check" if facts["checker"] else ""), launcher)

    def test_the_packaged_programs_carry_the_distributions_hardening(self):
        deb, facts = built_package(self, BUILD, "console-rpg_%s_amd64.deb")
        unpacked = tempfile.mkdtemp(prefix="console-rpg-deb-")
        self.addCleanup(shutil.rmtree, unpacked, True)
        subprocess.run(["dpkg-deb", "-x", deb, unpacked], check=True)
        programs = ["usr/libexec/console-rpg/console-rpg"] + (["usr/bin/console-rpg-check"] if facts["checker"] else [])
        for program in programs:
            elf = subprocess.run(["readelf", "-W", "-h", "-l", "-d", "--dyn-syms", os.path.join(unpacked, program)],
                                 check=True, capture_output=True, text=True).stdout
            symbols = {line.split()[7].split("@")[0] for line in elf.splitlines() if " FUNC " in line}
            for feature, present in [
                    ("position-independent executable", "DYN (Position-Independent Executable" in elf),
                    ("read-only relocations", "GNU_RELRO" in elf),
                    ("immediate binding", "(BIND_NOW)" in elf or "Flags: NOW" in elf),
                    ("stack protector", "__stack_chk_fail" in symbols),
                    ("_FORTIFY_SOURCE", any(s.endswith("_chk") and s != "__stack_chk_fail" for s in symbols))]:
                self.assertTrue(present, "%s has no %s" % (program, feature))

    def test_the_windows_programs_load_at_a_random_address_and_run_no_data(self):
        archive, facts = built_package(self, WINDOWS_BUILD, "console-rpg-%s-win64.zip")
        top = "console-rpg-%s-win64/" % facts["version"]
        programs = ["console-rpg.exe"] + (["console-rpg-check.exe"] if facts["checker"] else [])
        with zipfile.ZipFile(archive) as z:
            for name in programs:
                exe = z.read(top + "game/" + name)
                header = int.from_bytes(exe[0x3C:0x40], "little")
                self.assertEqual(exe[header:header + 4], b"PE\0\0", name)
                file_flags = int.from_bytes(exe[header + 22:header + 24], "little")
                dll_flags = int.from_bytes(exe[header + 24 + 70:header + 24 + 72], "little")
                for feature, present in [("relocations, without which it cannot move", not file_flags & 0x0001),
                                         ("dynamic base (ASLR)", dll_flags & 0x0040),
                                         ("high-entropy addresses", dll_flags & 0x0020),
                                         ("NX", dll_flags & 0x0100)]:
                    self.assertTrue(present, "%s has no %s" % (name, feature))

    def test_the_windows_zip_holds_a_game_folder_of_both_programs_and_the_data_as_it_is_and_readmes_with_crlf(self):
        archive, facts = built_package(self, WINDOWS_BUILD, "console-rpg-%s-win64.zip")
        top = "console-rpg-%s-win64/" % facts["version"]
        programs = ["console-rpg.exe"] + (["console-rpg-check.exe"] if facts["checker"] else [])
        with zipfile.ZipFile(archive) as z:
            # Directory entries, where the zip has them, are no files.
            self.assertEqual(sorted(name for name in z.namelist() if not name.endswith("/")),
                             sorted([top + "game/" + name for name in programs + DATA_FILES] +
                                    [top + "README.txt", top + "README.ja.txt", top + "LICENSE"]))
            self.assertEqual({name: z.read(top + "game/" + name) for name in DATA_FILES}, SAMPLES)
            for name in programs:
                self.assertEqual(z.read(top + "game/" + name)[:2], b"MZ", name)
            readme = z.read(top + "README.txt")
            japanese = z.read(top + "README.ja.txt")
            with open(os.path.join(ROOT, "LICENSE"), "rb") as licence:
                self.assertEqual(z.read(top + "LICENSE"), licence.read())
        # Notepad reads UTF-8 as such where it starts with the byte-order mark.
        self.assertTrue(japanese.startswith(b"\xef\xbb\xbf"))
        for readme, text in ((readme, readme.decode("ascii")), (japanese, japanese.decode("utf-8-sig"))):
            self.assertEqual(readme.count(b"\n"), readme.count(b"\r\n"), "a line end that is not CRLF")
            self.assertIn("console-rpg.exe", text)
            self.assertEqual("console-rpg-check.exe" in text, facts["checker"])
        self.assertIn("勇者", japanese.decode("utf-8-sig"))


if __name__ == "__main__":
    unittest.main()
