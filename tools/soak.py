#!/usr/bin/env python3
"""Soak tests of tavilo-headless: random input, damaged settings files and
kills during saves. Needs only the Python standard library.

    tools/soak.py --headless PATH [--events N] [--damaged N] [--kills N] [--pairs N] [--seed S]

Random input: a seeded generator writes scripts of taps, drags, keys, every
label and command, waits and "state" lines, and runs them in fresh copies of
the program, checking every state line: well-formed JSON, two to eight
players, runners inside the grid or on their arrival row, valid statuses and
directions, arrivals on distinct poles. A press of a label that is not on the
screen, or a command while a dialog is open, ends a run as the script
language says (exit 2); the next run goes on with the following events.

Damaged files: settings files with random damage must never stop the start,
and a file kept aside must be kept byte for byte.

Kills: a copy is killed while it saves its settings. The settings folder is
watched with inotify, and most kills strike at a random moment after the
save's temporary file appears, within the time a save takes, so that they
land inside the save (the temporary is still there afterwards); the figures
say how many did. The settings file is always whole, and the next start
clears the temporaries left behind.

Start pairs: two copies with the same settings folder started at the same
moment; exactly one of them runs, the other ends at once with status 0.

Any failure prints the seed and the script or file that caused it, and the
exit status is 1. The last line gives the figures.
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import random
import select
import signal
import struct
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


def environment(workdir):
    """The copies' runtime folder is the soak's own, private one."""
    runtime = os.path.join(workdir, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    return dict(os.environ, XDG_RUNTIME_DIR=runtime)


def run(headless, config, script, timeout):
    env = environment(os.path.dirname(config))
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
        # A press of a label that is not on the screen, or a command while a
        # dialog is open, ends the run as the script language says.
        missed_press = result.returncode == 2 and (("press" in err and "labelled" in err) or
                                                   "cannot be sent while" in err)
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


class FolderWatch:
    """Names made in, or moved into, a folder, through Linux's inotify."""

    IN_MOVED_TO = 0x80
    IN_CREATE = 0x100

    def __init__(self, folder):
        libc = ctypes.CDLL(ctypes.util.find_library("c") or "libc.so.6", use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or libc.inotify_add_watch(self.fd, folder.encode(), self.IN_CREATE | self.IN_MOVED_TO) < 0:
            raise OSError(ctypes.get_errno(), "inotify on " + folder)
        self.pending = []

    def next(self, timeout):
        """The name of the next event, or None after timeout seconds."""
        deadline = time.monotonic() + timeout
        while not self.pending:
            left = deadline - time.monotonic()
            if left < 0 or not select.select([self.fd], [], [], max(left, 0))[0]:
                return None
            data = os.read(self.fd, 65536)
            at = 0
            while at < len(data):
                length = struct.unpack_from("iIII", data, at)[3]
                self.pending.append(data[at + 16:at + 16 + length].rstrip(b"\0").decode(errors="replace"))
                at += 16 + length
        return self.pending.pop(0)

    def drain(self):
        while self.next(0) is not None:
            pass

    def close(self):
        os.close(self.fd)


TEMPORARY = ".registry.reg.tmp-"
KILL_SCRIPT = "press Option\npress %s\npress OK\nquit\n"


def start_saving(args, config, env, arrow):
    """A copy that changes the count and saves it as it closes."""
    process = subprocess.Popen([args.headless, "--config-dir", config, "-"], stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    process.stdin.write((KILL_SCRIPT % arrow).encode())
    process.stdin.close()
    return process


def wait_for(watch, wanted, process, timeout):
    """The time the first name that wanted() accepts appeared, or None."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        name = watch.next(0.05)
        if name is not None and wanted(name):
            return time.monotonic()
        if name is None and process.poll() is not None:
            return None
    return None


def soak_kills(args, rng, workdir):
    config = tempfile.mkdtemp(prefix="kills-", dir=workdir)
    path = os.path.join(config, "registry.reg")
    # A large file makes each save long enough for kills to land at many
    # moments inside it; it stays within the settings file's limits.
    with open(path, "w") as f:
        f.write(HEADER + "\n\n[Software\\Menkor\\Tavilo]\n\"PlayerCount\"=dword:00000004\n\n")
        for i in range(1000):
            f.write("[Software\\Filler\\Key%d]\n\"Value\"=\"%s\"\n\n" % (i, "text to make the save slow " * 20))
    env = environment(workdir)
    watch = FolderWatch(config)
    # Runs to the end measure how long a save takes, from the appearance of
    # its temporary to the rename over the file.
    lengths = []
    for _ in range(3):
        process = start_saving(args, config, env, "<")
        made = wait_for(watch, lambda name: name.startswith(TEMPORARY), process, args.timeout)
        renamed = wait_for(watch, lambda name: name == "registry.reg", process, args.timeout)
        process.wait()
        watch.drain()
        if made is None or renamed is None:
            raise Failure(f"kills (seed {args.seed}): a run to the end saved nothing")
        lengths.append(renamed - made)
    save = sorted(lengths)[1]
    inside = 0
    for n in range(args.kills):
        process = start_saving(args, config, env, rng.choice("<>"))
        # Nine kills in ten strike within a save's length of its temporary's
        # appearance; the others at any moment of the run, start-up included.
        if rng.random() < 0.9:
            if wait_for(watch, lambda name: name.startswith(TEMPORARY), process, args.timeout) is not None:
                time.sleep(rng.uniform(0, save))
        else:
            time.sleep(rng.uniform(0, 3 * save + 0.05))
        process.send_signal(signal.SIGKILL)
        process.wait()
        watch.drain()
        where = f"kill {n + 1} (seed {args.seed})"
        if not os.path.exists(path) or not is_whole(path):
            raise Failure(f"{where}: the settings file is torn or missing")
        inside += any(name.startswith(TEMPORARY) for name in os.listdir(config))
    watch.close()
    result = run(args.headless, config, "state\n", args.timeout)
    remaining = [name for name in os.listdir(config) if name.startswith(TEMPORARY)]
    if result.returncode != 0 or remaining:
        raise Failure(f"kills (seed {args.seed}): the next start left {remaining}, "
                      f"exit status {result.returncode}")
    return args.kills, inside, save


def soak_pairs(args, workdir):
    """Two copies of one settings folder started together: exactly one runs."""
    env = environment(workdir)
    for n in range(args.pairs):
        config = tempfile.mkdtemp(prefix="pair-", dir=workdir)
        copies = [subprocess.Popen([args.headless, "--config-dir", config, "-"], stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env) for _ in range(2)]
        for copy in copies:
            try:
                copy.stdin.write(b"state\n")
                copy.stdin.flush()
            except BrokenPipeError:
                pass
        # Both stay open until each has answered or ended, so that neither
        # can win only because the other had already finished.
        answered = [b"", b""]
        deadline = time.monotonic() + args.timeout
        while time.monotonic() < deadline:
            waiting = [c.stdout for i, c in enumerate(copies) if not answered[i] and c.poll() is None]
            if not waiting:
                break
            for pipe in select.select(waiting, [], [], 0.05)[0]:
                i = [c.stdout for c in copies].index(pipe)
                answered[i] += os.read(pipe.fileno(), 4096)
        results = []
        for i, copy in enumerate(copies):
            # The end of its script closes the copy that runs.
            out, err = copy.communicate(timeout=args.timeout)
            results.append((answered[i] + out, err.decode(errors="replace"), copy.returncode))
        ran = sum(1 for out, _, _ in results if out.strip())
        where = f"start pair {n + 1} (seed {args.seed})"
        if ran != 1 or any(code != 0 for _, _, code in results):
            raise Failure(f"{where}: {ran} of the two copies ran, exit statuses "
                          f"{[code for _, _, code in results]}: {[err[-500:] for _, err, _ in results]}")
    return args.pairs


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--headless", required=True, help="the tavilo-headless program")
    parser.add_argument("--events", type=int, default=1000, help="random input events (default 1000)")
    parser.add_argument("--damaged", type=int, default=0, help="damaged settings files to start with")
    parser.add_argument("--kills", type=int, default=0, help="kills aimed at saves")
    parser.add_argument("--pairs", type=int, default=0, help="pairs of copies started together")
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
            kills, inside, save = soak_kills(args, rng, workdir) if args.kills else (0, 0, 0)
            pairs = soak_pairs(args, workdir)
        except Failure as failure:
            print(f"soak: FAILED with seed {args.seed}: {failure.args[0]}", file=sys.stderr)
            if len(failure.args) > 1:
                saved = os.path.abspath(f"soak-failure-{args.seed}.txt")
                with open(saved, "w") as f:
                    f.write(failure.args[1])
                print(f"soak: the input is in {saved}", file=sys.stderr)
            return 1
    print(f"soak: seed {args.seed}: {events} events in {runs} runs, {damaged} damaged files, "
          f"{kills} kills ({inside} inside a save of {save * 1000:.1f} ms), {pairs} start pairs, no failure")
    return 0


if __name__ == "__main__":
    sys.exit(main())
