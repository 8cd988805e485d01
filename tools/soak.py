#!/usr/bin/env python3
"""Soak tests of tavilo-headless: random input, damaged settings files and
kills during saves. Needs only the Python standard library.

    tools/soak.py --headless PATH [--events N] [--damaged N] [--kills N] [--seed S]

Random input: a seeded generator writes scripts of taps, drags, keys, every
label and command, waits and "state" lines, and runs them in fresh copies of
the program, checking every state line: well-formed JSON, two to eight
players, runners inside the grid or on their arrival row, valid statuses and
directions, arrivals on distinct poles. A press of a label that is not on the
screen ends a run as the script language says (exit 2, "press:"); the next
run goes on with the following events.

Damaged files: settings files with random damage must never stop the start,
and a file kept aside must be kept byte for byte.

Kills: a copy is killed at a random moment while it saves; the settings file
is always whole, and the next start clears the temporaries left behind.

Any failure prints the seed and the script or file that caused it, and the
exit status is 1. The last line gives the figures.
"""

import argparse
import json
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

# The game's constants, as the program's state reports them.
BOARD_STATES = {0, 1, 3}  # done, play, title
RUNNER_STATUSES = {0, 1, 3}  # idle, moving, arrived
DIRECTIONS = {0, 1, 3}  # left, right, down
GRID_ROWS = 14
POLE_SPACING = 3  # columns from one pole to the next (a gap of two)
MAX_TRAIL_POINTS = 256

BAR_LABELS = ["New", "All", "Option", "Help"]
MENU_LABELS = ["About.."]
OPTION_LABELS = ["<", ">", "OK", "CANCEL"]
# The menu and dialog commands; Exit (40002) ends a run, so it is rare.
COMMANDS = [40003, 40011, 40030, 40031, 1011, 1012, 1, 2]
KEYS = ["alt+/", "enter", "esc", "space", "tab", "a", "z", "5", "left", "right", "up", "down", "f1"]
HEADER = "Windows Registry Editor Version 5.00"


class Failure(Exception):
    pass


def check_state(line, where):
    """Raises Failure when a state line breaks a rule of the game."""
    try:
        state = json.loads(line)
    except ValueError as error:
        raise Failure(f"{where}: not JSON ({error}): {line[:200]}")
    count = state.get("g_playerCount")
    if not isinstance(count, int) or not 2 <= count <= 8:
        raise Failure(f"{where}: player count {count!r} outside 2 to 8")
    board = state.get("board")
    if board is None:
        return
    players = board.get("playerCount")
    if not isinstance(players, int) or not 2 <= players <= 8:
        raise Failure(f"{where}: board of {players!r} players")
    if board.get("state") not in BOARD_STATES:
        raise Failure(f"{where}: board state {board.get('state')!r}")
    runners = board.get("runners")
    if not isinstance(runners, list) or len(runners) != players:
        raise Failure(f"{where}: {len(runners) if isinstance(runners, list) else runners!r} runners "
                      f"for {players} players")
    width = POLE_SPACING * (players - 1) + 1
    arrived_columns = []
    for i, r in enumerate(runners):
        status, column, row = r.get("status"), r.get("column"), r.get("row")
        if status not in RUNNER_STATUSES or r.get("direction") not in DIRECTIONS:
            raise Failure(f"{where}: runner {i} status {status!r} direction {r.get('direction')!r}")
        if not isinstance(column, int) or not 0 <= column < width:
            raise Failure(f"{where}: runner {i} in column {column!r} of {width}")
        if status == 3:
            if row != GRID_ROWS or column % POLE_SPACING != 0:
                raise Failure(f"{where}: runner {i} arrived at column {column}, row {row}")
            arrived_columns.append(column)
        elif not isinstance(row, int) or not 0 <= row < GRID_ROWS:
            raise Failure(f"{where}: runner {i} in row {row!r}")
        if not 0 <= r.get("pointCount", -1) <= MAX_TRAIL_POINTS:
            raise Failure(f"{where}: runner {i} trail of {r.get('pointCount')!r} points")
    if len(set(arrived_columns)) != len(arrived_columns):
        raise Failure(f"{where}: two runners arrived under the same pole: {arrived_columns}")
    if board["state"] == 0 and len(arrived_columns) != players:
        raise Failure(f"{where}: the game is over with {len(arrived_columns)} of {players} arrived")


class Generator:
    """Random events, with a rough idea of what is on the screen so that
    most presses find their label."""

    def __init__(self, rng):
        self.rng = rng
        self.dialog = False
        self.menu = False

    def point(self):
        rng = self.rng
        y = rng.choice([rng.randrange(320), rng.randrange(20, 40), rng.randrange(280, 320), rng.randrange(-5, 330)])
        return rng.randrange(-5, 246), y

    def event(self):
        rng = self.rng
        kind = rng.choices(["tap", "drag", "key", "press", "command", "wait"], [30, 10, 8, 25, 5, 22])[0]
        if kind == "tap":
            self.menu = False
            return ["tap %d %d" % self.point()]
        if kind == "drag":
            x, y = self.point()
            lines = ["down %d %d" % (x, y)]
            for _ in range(rng.randrange(1, 8)):
                x, y = x + rng.randrange(-30, 31), y + rng.randrange(-30, 31)
                lines.append("move %d %d" % (x, y))
            lines.append("up %d %d" % (x, y))
            self.menu = False
            return lines
        if kind == "key":
            keys = [rng.choice(KEYS) for _ in range(rng.randrange(1, 3))]
            if rng.random() < 0.002:
                keys.append("alt+f4")
            return ["key " + " ".join(keys)]
        if kind == "press":
            if self.dialog:
                label = rng.choice(OPTION_LABELS)
                self.dialog = label not in ("OK", "CANCEL")
            elif self.menu:
                label = rng.choice(MENU_LABELS + ["Exit"] * (rng.random() < 0.01))
                self.menu = False
            else:
                label = rng.choice(BAR_LABELS)
                self.dialog = label == "Option"
                self.menu = label == "Help"
            return ["press " + label]
        if kind == "command":
            number = rng.choice(COMMANDS + [rng.randrange(65536)])
            return ["command %d" % number]
        return ["wait %d" % rng.choice([0, 1, 49, 50, 51, rng.randrange(1000), rng.randrange(4000)])]


def run(headless, config, script, timeout):
    env = dict(os.environ, XDG_RUNTIME_DIR=config)
    return subprocess.run([headless, "--config-dir", config, "-"], input=script.encode(), env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


def soak_events(args, rng, workdir):
    done = 0
    runs = 0
    while done < args.events:
        runs += 1
        generator = Generator(rng)
        lines = []
        events = 0
        while events < min(args.chunk, args.events - done):
            lines += generator.event()
            lines.append("state")
            events += 1
        script = "\n".join(lines) + "\nquit\n"
        config = tempfile.mkdtemp(prefix="run-", dir=workdir)
        where = f"events run {runs} (seed {args.seed})"
        try:
            result = run(args.headless, config, script, args.timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{where}: no end after {args.timeout} s", script)
        out = result.stdout.decode(errors="replace").splitlines()
        err = result.stderr.decode(errors="replace")
        for n, line in enumerate(out):
            try:
                check_state(line, f"{where}, state line {n + 1}")
            except Failure as failure:
                raise Failure(str(failure), script)
        missed_press = result.returncode == 2 and "press" in err and "labelled" in err
        if result.returncode != 0 and not missed_press:
            raise Failure(f"{where}: exit status {result.returncode}: {err[-2000:]}", script)
        if "ERROR: AddressSanitizer" in err or "runtime error:" in err:
            raise Failure(f"{where}: sanitizer report: {err[-4000:]}", script)
        done += len(out)
        if not out and result.returncode == 0:
            done += 1  # an Exit or Alt+F4 before the first state line still ran an event
    return done, runs


def damage(rng, text):
    data = bytearray(text.encode())
    for _ in range(rng.randrange(1, 6)):
        what = rng.randrange(5)
        at = rng.randrange(len(data) + 1)
        if what == 0 and data:
            del data[at:at + rng.randrange(1, 20)]
        elif what == 1:
            data[at:at] = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 10)))
        elif what == 2 and data:
            data[min(at, len(data) - 1)] = rng.choice(b'"[]\\=:,@;\r\n\x00\xff')
        elif what == 3:
            data[at:at] = rng.choice([b"\n[", b"\"=", b"dword:", b"hex(", b"\\\n", b"\xef\xbb\xbf", b"\xff\xfe"])
        else:
            data = data[:at]
    return bytes(data)


def soak_damaged(args, rng, workdir):
    good = (HEADER + "\n\n; kept by hand\n[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000004\n"
            "\"Name\"=\"x\"\n\n[Software\\Other]\n@=hex(7):61,00,00,00\n")
    for n in range(args.damaged):
        config = tempfile.mkdtemp(prefix="damaged-", dir=workdir)
        path = os.path.join(config, "registry.reg")
        data = damage(rng, good)
        with open(path, "wb") as f:
            f.write(data)
        result = run(args.headless, config, "state\n", args.timeout)
        where = f"damaged file {n + 1} (seed {args.seed})"
        out = result.stdout.decode(errors="replace").splitlines()
        if result.returncode != 0 or len(out) != 1:
            raise Failure(f"{where}: exit status {result.returncode}, {len(out)} state lines: "
                          f"{result.stderr.decode(errors='replace')[-2000:]}", repr(data))
        check_state(out[0], where)
        kept = os.path.join(config, "registry.reg.bad")
        if os.path.exists(kept):
            with open(kept, "rb") as f:
                if f.read() != data:
                    raise Failure(f"{where}: the file kept aside differs from the damaged one", repr(data))
        with open(path, "rb") as f:
            if not f.read().startswith(HEADER.encode()):
                raise Failure(f"{where}: the settings file was not rewritten whole", repr(data))
    return args.damaged


def is_whole(path):
    with open(path, "rb") as f:
        data = f.read()
    return data.startswith(HEADER.encode()) and data.endswith(b"\n\n") and b"PlayerCount" in data


def soak_kills(args, rng, workdir):
    config = tempfile.mkdtemp(prefix="kills-", dir=workdir)
    path = os.path.join(config, "registry.reg")
    # A large file makes each save long enough for kills to land inside it.
    with open(path, "w") as f:
        f.write(HEADER + "\n\n[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000004\n\n")
        for i in range(3000):
            f.write("[Software\\Filler\\Key%d]\n\"Value\"=\"text to make the save slow\"\n\n" % i)
    env = dict(os.environ, XDG_RUNTIME_DIR=config)
    # One run to the end measures how long a run takes; the save is its last
    # part, so the kills fall in the second half of that time and a little after.
    started = time.monotonic()
    run(args.headless, config, "press Option\npress OK\nquit\n", args.timeout)
    length = time.monotonic() - started
    left = 0
    for n in range(args.kills):
        script = "press Option\npress %s\npress OK\nquit\n" % rng.choice("<>")
        process = subprocess.Popen([args.headless, "--config-dir", config, "-"], stdin=subprocess.PIPE,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        process.stdin.write(script.encode())
        process.stdin.close()
        time.sleep(rng.uniform(0.4 * length, 1.1 * length))
        process.send_signal(signal.SIGKILL)
        process.wait()
        where = f"kill {n + 1} (seed {args.seed})"
        if not os.path.exists(path) or not is_whole(path):
            raise Failure(f"{where}: the settings file is torn or missing")
        left += any(name.startswith(".registry.reg.tmp-") for name in os.listdir(config))
    result = run(args.headless, config, "state\n", args.timeout)
    remaining = [name for name in os.listdir(config) if name.startswith(".registry.reg.tmp-")]
    if result.returncode != 0 or remaining:
        raise Failure(f"kills (seed {args.seed}): the next start left {remaining}, "
                      f"exit status {result.returncode}")
    return args.kills, left


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--headless", required=True, help="the tavilo-headless program")
    parser.add_argument("--events", type=int, default=1000, help="random input events (default 1000)")
    parser.add_argument("--damaged", type=int, default=0, help="damaged settings files to start with")
    parser.add_argument("--kills", type=int, default=0, help="kills during saves")
    parser.add_argument("--seed", type=int, default=None, help="the random seed (default: from the time)")
    parser.add_argument("--chunk", type=int, default=400, help="events per run of the program")
    parser.add_argument("--timeout", type=float, default=300, help="seconds a run may take")
    args = parser.parse_args()
    if args.seed is None:
        args.seed = int(time.time() * 1000) % 1000000007
    rng = random.Random(args.seed)
    with tempfile.TemporaryDirectory(prefix="tavilo-soak-") as workdir:
        try:
            events, runs = soak_events(args, rng, workdir)
            damaged = soak_damaged(args, rng, workdir)
            kills, left = soak_kills(args, rng, workdir) if args.kills else (0, 0)
        except Failure as failure:
            print(f"soak: FAILED with seed {args.seed}: {failure.args[0]}", file=sys.stderr)
            if len(failure.args) > 1:
                saved = os.path.abspath(f"soak-failure-{args.seed}.txt")
                with open(saved, "w") as f:
                    f.write(failure.args[1])
                print(f"soak: the input is in {saved}", file=sys.stderr)
            return 1
    print(f"soak: seed {args.seed}: {events} events in {runs} runs, {damaged} damaged files, "
          f"{kills} kills ({left} inside a save), no failure")
    return 0


if __name__ == "__main__":
    sys.exit(main())
