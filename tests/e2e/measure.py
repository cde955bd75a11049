# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
"""Runs a command and writes its exit status, wall time and processor time to a file.

Used inside a tmux pane, where the command needs the pane's terminal: the status
the game ends with on a signal (128 + the signal) is reported the way a shell does.
"""

import os
import resource
import subprocess
import sys
import time

out_path, command = sys.argv[1], sys.argv[2:]
started = time.monotonic()
process = subprocess.Popen(command)
while True:
    try:
        status = process.wait()
        break
    except KeyboardInterrupt:
        continue  # Ctrl+C is for the game; wait for it to end
elapsed = time.monotonic() - started
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
code = 128 - status if status < 0 else status
with open(out_path + ".tmp", "w") as f:
    f.write("%d %.3f %.3f %d\n" % (code, elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss))
os.rename(out_path + ".tmp", out_path)
