#!/usr/bin/python3
"""Random visits: zorva-cli driven as a user's scripts drive it, against zorva-sim, through
random sequences of steps (reads, writes of random values, reports, the history, the clock,
pictures, a day passing, the computer's clock put back, the module unplugged, silent, refusing a
write or keeping another byte than written). After every step what the program claimed is checked
against what the simulated module holds:

- exit code 0 only when the module holds what the command says; a lost link never gives 0;
- after every command that succeeded, the history's newest file is the module's configuration;
- a report's changes are exactly the fields that differ between the module's configuration at
  the visit's first contact and now, and a report that failed left no PDF;
- the password is never in any output or PDF;
- no command outlives its --timeout by more than a few seconds.

Each sequence is one hypothesis example: a plan of 20 to 50 steps drawn whole, so that every
sequence has its length and no process runs for a plan that hypothesis throws away (a rule-based
machine stops its early, small examples after a step or two). A run plays the examples that one
seed gives, in order; a failing sequence prints its seed and its steps, and --seed SEED plays the
same sequences again.

    visit_suite.py --bin build/bin --minutes 2          CI: the fixed seeds, then fresh ones
    visit_suite.py --bin build/bin --minutes 30         a longer run
    visit_suite.py --bin build/bin --seed 1234 -v       one sequence again, every step shown
"""

import argparse
import datetime
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

import hypothesis.core
from hypothesis import HealthCheck, Phase, Verbosity, given, settings
from hypothesis import strategies as st

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
TIMEOUT = 3  # --timeout of every command, seconds
LATE = 10  # how much longer than its time-out a command may run (a write with its restart)
VISIT_GAP_HOURS = 8  # contacts this far apart are two visits
FIXED_SEED = 20261210
FIELDS_SHOWN_NOWHERE = {"ex1", "ex2"}  # bits the window clears and never shows
SKEW_FIELDS = ["ps", "id", "dz", "tt"]
NAME = re.compile(r"^(.+)_(\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.\d{3})_(\d+)_(read|written)\.zrd$")

BIN = None
VERBOSE = False
FIGURES = {"sequences": 0, "steps": 0, "commands": 0, "faults": {}, "longest": 0.0,
           "outcomes": {}, "changes": 0}


def log(text):
    print(text, flush=True)


class Failure(AssertionError):
    pass


class TimeUp(Exception):
    """Ends a run: hypothesis has no time budget of its own."""


def check(condition, text):
    if not condition:
        raise Failure(text)


# --- The simulated module --------------------------------------------------------------------

class Module:
    """zorva-sim on a pseudo-terminal behind the alias COM1, driven by its control commands."""

    def __init__(self, folder, seed):
        self.folder = folder
        self.link = os.path.join(folder, "module.tty")
        self.dumps = 0
        self.lock = threading.Lock()
        self.process = subprocess.Popen(
            [os.path.join(BIN, "zorva-sim"), "--link", self.link, "--reset-seconds", "0.2",
             "--seed", str(seed), "--trace", os.path.join(folder, "module.trace")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        check(self.process.stdout.readline().strip() == self.link, "zorva-sim did not start")

    def control(self, line):
        with self.lock:
            self.process.stdin.write(line + "\n")
            self.process.stdin.flush()

    def apply(self, line):
        """A control command, in force once this returns (the dump after it is written)."""
        self.control(line)
        self.state()

    def state(self):
        """The configuration (175 bytes) and the clock the module holds now."""
        self.dumps += 1
        path = os.path.join(self.folder, "dump%d.txt" % self.dumps)
        self.control("dump " + path)
        deadline = time.monotonic() + 30
        while not os.path.exists(path):
            check(time.monotonic() < deadline, "zorva-sim wrote no dump")
            time.sleep(0.01)
        lines = dict(line.split(" ", 1) for line in open(path).read().splitlines())
        return bytes.fromhex(lines["config"]), lines["clock"]

    def stop(self):
        self.process.stdin.close()
        self.process.terminate()
        self.process.wait(30)


def zrd(config):
    """A configuration file of 2048 bytes holding `config`."""
    return config + bytes(2048 - len(config))


# --- The program -----------------------------------------------------------------------------

class Run:
    def __init__(self, args, code, out, err, seconds):
        self.args, self.code, self.out, self.err, self.seconds = args, code, out, err, seconds

    def __str__(self):
        return "zorva-cli %s: exit %s after %.1f s\nout: %s\nerr: %s" % (
            " ".join(self.args), self.code, self.seconds, self.out.strip(), self.err.strip())


def cli(world, args, hours):
    env = dict(os.environ, XDG_CONFIG_HOME=world.path("config"),
               XDG_DATA_HOME=world.path("data"), HOME=world.folder)
    env.pop("DISPLAY", None)
    env.pop("QT_QPA_PLATFORM", None)
    if hours:
        env.update(LD_PRELOAD=FAKETIME, FAKETIME="%+dh" % hours, FAKETIME_DONT_FAKE_MONOTONIC="1")
    start = time.monotonic()
    done = subprocess.run([os.path.join(BIN, "zorva-cli")] + args, env=env, cwd=world.folder,
                          capture_output=True, text=True, timeout=300)
    run = Run(args, done.returncode, done.stdout, done.stderr, time.monotonic() - start)
    FIGURES["commands"] += 1
    FIGURES["longest"] = max(FIGURES["longest"], run.seconds)
    if VERBOSE:
        log("    " + str(run).replace("\n", "\n    "))
    return run


def history_files(folder):
    """The history's files: (time as written, made, kind, path), any module."""
    files = []
    if os.path.isdir(folder):
        for name in os.listdir(folder):
            m = NAME.match(name)
            if m:
                when = datetime.datetime.strptime(m.group(2), "%Y-%m-%d_%H-%M-%S.%f")
                files.append((when, int(m.group(3)), m.group(4), os.path.join(folder, name)))
    return files


def pdf_text(path):
    return subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True,
                          timeout=120).stdout


# --- Random values as a technician types them ------------------------------------------------

def text(alphabet, low, high):
    return st.text(alphabet=alphabet, min_size=low, max_size=high)


IDENTIFIERS = text("ABCDEFGHJKLMNPRSTUVWXYZ0123456789", 1, 8)
PASSWORDS = text("abcdefghkmnpqrstuvwxyz23456789", 4, 14).map(lambda p: "pw" + p)
FIELD_VALUES = {
    "id": IDENTIFIERS,
    "ps": st.integers(1, 65535).map(str),
    "sip": st.tuples(*[st.integers(1, 254)] * 4).map(lambda t: ".".join(map(str, t))),
    "tel": text("0123456789", 3, 12),
    "dz": st.integers(1, 255).map(str),
    "pz": st.integers(1, 255).map(str),
    "tt": st.integers(0, 255).map(str),
    "ncp": st.integers(0, 240).map(str),
    "kol": st.sampled_from(["on", "off"]),
    "pass": PASSWORDS,
}
CHANGES = st.dictionaries(st.sampled_from(sorted(FIELD_VALUES)), st.just(None), min_size=1,
                          max_size=4).flatmap(
    lambda keys: st.fixed_dictionaries({k: FIELD_VALUES[k] for k in keys}))


# --- The machine -----------------------------------------------------------------------------

class World:
    def __init__(self, seed):
        self.folder = tempfile.mkdtemp(prefix="zorva-visit-")
        os.makedirs(self.path("config/Nurvo"))
        with open(self.path("config/Nurvo/QEN.conf"), "w") as f:
            f.write("[ports]\nCOM1=%s\n" % self.path("module.tty"))
        self.module = Module(self.folder, seed)
        self.files = 0

    def path(self, name):
        return os.path.join(self.folder, name)

    def new_file(self, extension):
        self.files += 1
        return self.path("f%d.%s" % (self.files, extension))

    def close(self):
        self.module.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


class Visits:
    def __init__(self, seed):
        self.world = World(seed)
        self.hours = 0  # the computer's clock, moved
        self.reject = False
        self.skew = None
        self.unplugged_until = 0.0
        self.unplug_timer = None
        self.is_silent = False
        self.falls_silent = False
        self.config, self.module_clock = self.world.module.state()
        self.passwords = {self.password(self.config)} - {""}
        self.template = self.world.path("template.zrd")
        with open(self.template, "wb") as f:
            f.write(zrd(self.config))
        self.visit_start = None  # the module's configuration at the visit's first contact
        self.newest_file = None  # the time written in the history's newest file

    def close(self):
        if self.unplug_timer is not None:
            self.unplug_timer.join()
        self.world.close()

    @staticmethod
    def password(config):
        return config[5:21].rstrip(b"\0").decode("latin-1")

    def fault(self, kind):
        FIGURES["faults"][kind] = FIGURES["faults"].get(kind, 0) + 1

    def step(self, text):
        FIGURES["steps"] += 1
        log("  step: " + text)

    def clean_line(self):
        """Whether the module answers as a clean module does: no fault that may stop a command."""
        return time.monotonic() > self.unplugged_until + 3

    # Commands, then the checks every command gets.
    def command(self, args, link=True):
        files_before = {f[3] for f in history_files(self.world.path("data/ZORVA/history"))}
        before = self.config
        silent = self.is_silent
        options = ["--port", "COM1", "--timeout", str(TIMEOUT)] if link else []
        run = cli(self.world, options + args, self.hours)
        verbs = ("read", "write", "report", "history", "clock", "picture")
        outcome = "%s %d" % (next(a for a in args if a in verbs), run.code)
        FIGURES["outcomes"][outcome] = FIGURES["outcomes"].get(outcome, 0) + 1
        if self.unplug_timer is not None:
            # The module was unplugged during this command: it is back before the next.
            self.unplug_timer.join()
            self.unplug_timer = None
            time.sleep(max(0.0, self.unplugged_until + 0.5 - time.monotonic()))
        self.config, self.module_clock = self.world.module.state()
        if self.password(self.config):
            self.passwords.add(self.password(self.config))
        for word in self.passwords:
            check(word not in run.out and word not in run.err, "the password shown\n%s" % run)
        check(run.seconds <= TIMEOUT + LATE, "longer than its time-out allows\n%s" % run)
        check(run.code in (0, 1, 3, 4, 5), "an exit code of no meaning here\n%s" % run)
        self.follow_visit(files_before, before)
        if link:
            check(run.code != 0 or not silent, "exit 0 from a silent module\n%s" % run)
            # On a clean line every command says done (a camera that is off aside).
            clean = self.clean_line() and not silent and not self.reject and not self.skew \
                and not self.falls_silent
            check(run.code == 0 or not clean or (run.code == 1 and "picture" in args),
                  "a command failed on a clean line\n%s" % run)
        if run.code == 0 and link:
            self.newest_file_is_module(run)
        return run

    def follow_visit(self, files_before, config_before):
        files = sorted(history_files(self.world.path("data/ZORVA/history")))
        for when, _, _, path in files:
            if path in files_before:
                continue
            # The program's rule: a contact that comes this long after the one before starts a
            # visit; the module then held what it held before this step.
            if self.newest_file is None or \
                    when - self.newest_file >= datetime.timedelta(hours=VISIT_GAP_HOURS):
                self.visit_start = config_before
            self.newest_file = when

    def newest_file_is_module(self, run):
        files = history_files(self.world.path("data/ZORVA/history"))
        check(files, "a command succeeded and the history holds nothing\n%s" % run)
        newest = max(files, key=lambda f: (os.path.getmtime(f[3]), f[1]))
        held = open(newest[3], "rb").read()[:175]
        check(held == self.config, "the history's newest file %s is not what the module holds"
              "\n%s" % (os.path.basename(newest[3]), run))

    def base(self):
        """The file a technician writes from: the newest read of the visit, else the first."""
        reads = [p for p in os.listdir(self.world.folder) if re.match(r"f\d+\.zrd$", p)]
        return self.template if not reads else self.world.path(sorted(
            reads, key=lambda p: os.path.getmtime(self.world.path(p)))[-1])

    # --- Steps -----------------------------------------------------------------------------

    def read(self):
        self.step("read")
        out = self.world.new_file("zrd")
        run = self.command(["read", out])
        if run.code == 0:
            check(open(out, "rb").read()[:175] == self.config,
                  "read said done but the file is not what the module holds\n%s" % run)

    def write(self, changes, fault=None):
        """`fault`: the module refuses the write ("refuse") or keeps that field one higher."""
        self.step("write %s%s" % (changes, {None: "", "refuse": ", the module refuses it"}.get(
            fault, ", the module keeps %s one higher" % fault)))
        if fault:
            self.fault("refusing writes" if fault == "refuse" else "keeping another byte")
            self.world.module.apply("reject-write on" if fault == "refuse" else
                                    "store-skew " + fault)
        self.reject, self.skew = fault == "refuse", fault if fault != "refuse" else None
        try:
            self.write_and_check(changes)
        finally:
            self.world.module.apply("reject-write off")
            self.world.module.apply("store-skew off")
            self.reject, self.skew = False, None

    def write_and_check(self, changes):
        before = self.config
        args = ["--lang", "en", "write", self.base()]
        for name, value in changes.items():
            args += ["--set", "%s=%s" % (name, value)]
            if name == "pass":
                self.passwords.add(value)
        run = self.command(args)
        if run.code == 0:
            check(not self.reject and self.skew is None,
                  "a write said verified by a module that refuses or skews\n%s" % run)
            shown = self.shown(self.config)
            for name, value in changes.items():
                check(self.same_value(name, value, shown[name]),
                      "write said verified but %s is %r\n%s" % (name, shown[name], run))
        if self.reject:
            check(self.config == before, "a refused write changed the module")

    @staticmethod
    def same_value(name, typed, shown):
        if name == "kol":
            return shown == (typed == "on")
        if name in ("ps", "dz", "pz", "tt", "ncp"):
            return shown == int(typed)
        if name == "pass":
            return True  # shown as set or not set only
        return str(shown).strip() == typed

    def shown(self, config):
        path = self.world.path("shown.zrd")
        with open(path, "wb") as f:
            f.write(zrd(config))
        run = cli(self.world, ["show", "--json", path], 0)
        return json.loads(run.out)["fields"]

    def report(self, falls_silent):
        self.step("report" + (", the module falls silent on the first picture" if falls_silent
                               else ""))
        if falls_silent:
            self.world.module.apply("silent after-picture")
            self.fault("silent during pictures")
        pdf = self.world.new_file("pdf")
        self.falls_silent = falls_silent
        run = self.command(["--lang", "en", "report", pdf, "--remarks", "visit\nchecked"])
        self.falls_silent = False
        if falls_silent:
            self.world.module.apply("silent on" if self.is_silent else "silent off")
            check(run.code != 0, "a report said done by a module that fell silent\n%s" % run)
        if run.code != 0:
            check(not os.path.exists(pdf), "a report that failed left a PDF\n%s" % run)
            check(run.err.strip(), "a report failed without a word\n%s" % run)
            return
        text = pdf_text(pdf)
        for word in self.passwords:
            check(word not in text, "the password in the PDF")
        check(re.search(r"Module clock +\d{4}-", text), "the module's clock missing\n%s" % text)
        shown_changes = self.report_changes(text)
        expected = self.expected_changes()
        FIGURES["changes"] += len(expected)
        check(shown_changes == expected, "the report's changes %s, the module's %s\n%s\n%s"
              % (sorted(shown_changes), sorted(expected), run, text))

    @staticmethod
    def report_changes(text):
        part = text.split("Changes during the visit", 1)[1].split("Camera pictures", 1)[0]
        if "Field" not in part:
            return set()
        rows = part.split("Field", 1)[1].splitlines()[1:]
        captions = set()
        for row in rows:
            if row.startswith(("The last write", "Nothing was written")) or not row.strip():
                break
            captions.add(re.split(r"\s{2,}", row.strip())[0])
        return captions

    def expected_changes(self):
        if self.visit_start is None or self.visit_start == self.config:
            return set()
        a, b = self.world.path("start.zrd"), self.world.path("now.zrd")
        for path, config in ((a, self.visit_start), (b, self.config)):
            with open(path, "wb") as f:
                f.write(zrd(config))
        run = cli(self.world, ["--lang", "en", "diff", a, b], 0)
        captions = set()
        for line in run.out.splitlines():
            name, rest = line.split(" ", 1)
            if name not in FIELDS_SHOWN_NOWHERE:
                captions.add(rest.split(": ", 1)[0])
        return captions

    def history(self):
        self.step("history")
        run = self.command(["history", "--json"], link=False)
        check(run.code == 0, "history failed\n%s" % run)
        listed = json.loads(run.out)
        check(len(listed) == len(history_files(self.world.path("data/ZORVA/history"))),
              "history lists another number of files than it holds\n%s" % run)

    def clock(self):
        self.step("clock")
        run = self.command(["clock"])
        if run.code == 0:
            now = datetime.datetime.now() + datetime.timedelta(hours=self.hours)
            held = datetime.datetime.strptime(self.module_clock, "%Y-%m-%d %H:%M:%S")
            check(abs((held - now).total_seconds()) < LATE + TIMEOUT,
                  "clock said done; the module's clock is %s, the computer's %s\n%s"
                  % (held, now, run))

    def picture(self, camera):
        self.step("picture of camera " + camera)
        out = self.world.new_file("jpg")
        run = self.command(["--camera", camera, "picture", out])
        if run.code == 0:
            data = open(out, "rb").read()
            check(("ZORVA camera %s picture" % camera).encode() in data[:400],
                  "the picture of camera %s is another camera's\n%s" % (camera, run))
        if camera in "CD":
            check(run.code != 0, "a picture of a camera that is off\n%s" % run)

    def a_day_passes(self):
        self.step("a day passes")
        self.hours += 24

    def the_computers_clock_goes_back_an_hour(self):
        self.step("the computer's clock goes back an hour")
        self.hours -= 1
        self.fault("clock back")

    def unplug(self, seconds, after):
        """While the next command runs (or whatever comes next, when no command follows)."""
        self.step("the module unplugged for %d s, %.1f s from now" % (seconds, after))
        self.unplugged_until = time.monotonic() + after + seconds
        self.fault("unplugged")
        if self.unplug_timer is not None:
            self.unplug_timer.join()
        if after == 0:
            self.world.module.control("unplug %d" % seconds)
        else:
            self.unplug_timer = threading.Timer(
                after, self.world.module.control, ["unplug %d" % seconds])
            self.unplug_timer.start()

    def while_silent(self, command, *arguments):
        """One command while the module is silent from its start."""
        self.step("the module silent for the next command")
        self.fault("silent")
        self.world.module.apply("silent on")
        self.is_silent = True
        try:
            getattr(self, command)(*arguments)
        finally:
            self.world.module.apply("silent off")
            self.is_silent = False


# --- Running it ------------------------------------------------------------------------------

# One step of a plan: the method of Visits and its arguments. "a day passes" comes first: it is
# what hypothesis's simplest plans are made of, and it starts no process.
COMMANDS = [
    st.tuples(st.just("read")),
    st.tuples(st.just("write"), CHANGES),
    st.tuples(st.just("report"), st.just(False)),
    st.tuples(st.just("clock")),
    st.tuples(st.just("picture"), st.sampled_from("ABCD")),
]
STEPS = st.one_of(
    st.tuples(st.just("a_day_passes")),
    *COMMANDS,
    *COMMANDS,
    st.tuples(st.just("history")),
    st.tuples(st.just("the_computers_clock_goes_back_an_hour")),
    st.tuples(st.just("unplug"), st.integers(2, 4), st.sampled_from([0.2, 0.5, 1.0, 1.5])),
    st.tuples(st.just("while_silent")).flatmap(lambda t: st.one_of(COMMANDS).map(lambda c: t + c)),
    st.tuples(st.just("write"), CHANGES,
              st.one_of(st.just("refuse"), st.sampled_from(SKEW_FIELDS))),
    st.tuples(st.just("report"), st.just(True)),
)
PLANS = st.lists(STEPS, min_size=20, max_size=50)


def play(seed, until, shrink):
    """The sequences that `seed` gives, until the time `until` (time.monotonic()); False when
    a check failed."""
    log("seed %d" % seed)
    counter = {"n": 0}
    failures = []

    @settings(max_examples=10**6, deadline=None, database=None, verbosity=Verbosity.quiet,
              phases=[Phase.generate, Phase.shrink] if shrink else [Phase.generate],
              suppress_health_check=list(HealthCheck))
    @given(PLANS)
    def sequence(plan):
        # A failure is kept here: hypothesis plays a failing example again, and a sequence of
        # real processes need not fail twice.
        if failures or time.monotonic() > until:
            raise TimeUp()
        counter["n"] += 1
        log("sequence %d of seed %d: %d steps" % (counter["n"], seed, len(plan)))
        FIGURES["sequences"] += 1
        visits = Visits(seed)
        try:
            for step in plan:
                getattr(visits, step[0])(*step[1:])
        except Exception as e:
            failures.append("sequence %d of seed %d: %s" % (counter["n"], seed, e))
            raise
        finally:
            visits.close()

    hypothesis.core.global_force_seed = seed
    try:
        sequence()
    except Exception as e:  # the time is up, or hypothesis's word on a failure kept
        if not failures and not isinstance(e, TimeUp):
            failures.append("seed %d: %s" % (seed, e))
    for failure in failures:  # its steps were printed as they ran
        log("FAILED: " + failure)
        log("replay: %s --bin %s --seed %d --minutes 600 -v" % (sys.argv[0], BIN, seed))
    return not failures


def main():
    global BIN, VERBOSE
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", required=True, help="the folder of zorva-cli and zorva-sim")
    parser.add_argument("--minutes", type=float, default=2,
                        help="how long to play: half on the fixed seed, half on a fresh one")
    parser.add_argument("--seed", type=int, help="play the sequences of this seed only")
    parser.add_argument("--shrink", action="store_true", help="on a failure, look for fewer steps")
    parser.add_argument("-v", action="store_true", help="show every command and its output")
    options = parser.parse_args()
    BIN, VERBOSE = os.path.abspath(options.bin), options.v
    start = time.monotonic()
    end = start + options.minutes * 60
    if options.seed is not None:
        ok = play(options.seed, end, options.shrink)
    else:
        ok = play(FIXED_SEED, start + options.minutes * 30, options.shrink) and \
            play(random.SystemRandom().randrange(1, 2**31), end, options.shrink)
    log("%s: %d sequences, %d steps, %d commands in %.0f s; the longest command %.1f s; "
        "faults: %s" % (
            "passed" if ok else "FAILED", FIGURES["sequences"], FIGURES["steps"],
            FIGURES["commands"], time.monotonic() - start, FIGURES["longest"],
            ", ".join("%s %d" % kv for kv in sorted(FIGURES["faults"].items())) or "none"))
    log("commands and their exit codes: %s; changes the reports named: %d" % (
        ", ".join("%s: %d" % kv for kv in sorted(FIGURES["outcomes"].items())),
        FIGURES["changes"]))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
