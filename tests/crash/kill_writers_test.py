#!/usr/bin/python3
"""Crash safety of the commands that write copies and exports: backup, restore, write-uvd and
write-lehrer-asd. Each one is killed (SIGKILL) at random moments of its run, exactly at each
of its renames (strace injects the kill as the rename is entered, so every step between two
renames is hit) and at writes spread over the run (files cut mid-way); then the program is
started again (velmoran-cli tables) and the contents are checked, file by file and record by
record:

  backup            every copy in SECURE is the previous copy or the new one, byte for byte,
                    and a complete table;
  restore           the restored tables are all as before or all as in the backup, never a
                    mix; the next start completes or rolls back the step;
  write-uvd,        the export is the previous file or the new one, byte for byte.
  write-lehrer-asd

Then two copies are started 0 to 120 ms apart on one data directory, N times: each one
works undisturbed or ends at once with the single-user message, and GPSUL is whole.

    kill_writers_test.py --build BUILD_DIR [--points N] [--seed S] [--lines L]

N random kill points per command (default 25), besides the kills at renames and writes.
"""
import argparse
import math
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

import dbf  # python3-dbf: the independent reader

import kill_test  # the table commands' kill test: its driver and helpers
from kill_test import find

RESTORED = ["gpsul.dbf", "uvd.dbf", "fach.dbf", "klasse.dbf"]
STRACE = shutil.which("strace")
SYSCALLS = ("rename", "renameat", "renameat2", "write")
WRITE_POINTS = 6  # kills at writes, spread over the run's writes (the files' contents)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def complete(path):
    """Whether a table file's header agrees with its length."""
    data = read(path)
    if len(data) < 12:
        return False
    count, header_len, record_len = struct.unpack("<IHH", data[4:12])
    return len(data) - (header_len + count * record_len) in (0, 1)


def records(path):
    """The live records of a table, in file order."""
    t = dbf.Table(path, codepage="cp850")
    t.open(dbf.READ_ONLY)
    rows = [tuple(r) for r in t if not dbf.is_deleted(r)]
    t.close()
    return rows


class Driver(kill_test.Driver):
    """The table commands' driver (running velmoran-cli, collecting failures), with the
    scenarios of the backup, the restore and the two exports."""

    # --- the data directory each command finds, and what it holds before and after -------

    def prepare(self, lines):
        exports = os.path.join(self.work, "exports")
        subprocess.run([self.demo, "--lines", str(lines), exports], check=True,
                       stdout=subprocess.DEVNULL)
        files = {n: find(exports, n) for n in ("GPU002.TXT", "GPU004.TXT", "LEHRER.TXT")}
        self.gpu002 = files["GPU002.TXT"]
        d = os.path.join(self.work, "tpl")
        os.makedirs(d)
        self.run(d, "settings", "--school-form", "GY=Gymnasium", "--school-number", "123456")
        self.run(d, "import-gpu002", files["GPU002.TXT"])
        self.run(d, "--answer", "yes", "backup")
        # After the backup: more data, so that a new copy differs from the previous one.
        self.run(d, "--answer", "yes", "transfer")
        self.run(d, "import-gpu004", files["GPU004.TXT"])
        self.run(d, "import-lehrer", files["LEHRER.TXT"])
        self.run(d, "settings", "--school-number", "654321")
        # A restore would bring back GPSUL and UVD as the backup holds them.
        restore = os.path.join(self.work, "tpl-restore")
        shutil.copytree(d, restore)
        self.run(restore, "--answer", "yes", "delete-all", "GPSUL")
        self.run(restore, "tables")
        with open(os.path.join(d, "UVD.TXT"), "wb") as f:
            f.write(b"the previous UVD.TXT\r\n" * 1000)
        with open(os.path.join(d, "LEHRER_ASD.TXT"), "wb") as f:
            f.write(b"the previous LEHRER_ASD.TXT\r\n" * 100)
        self.run(d, "tables")
        self.gpsul_lines = self.run(d, "dump", "GPSUL").stdout.count(b"\n")
        return [
            ("backup", d, ["--answer", "yes", "backup"], self.check_backup),
            ("restore", restore, ["--answer", "yes", "restore", *RESTORED], self.check_restore),
            ("write-uvd", d, ["--answer", "yes", "write-uvd", "UVD.TXT"],
             self.check_export("UVD.TXT")),
            ("write-lehrer-asd", d, ["--answer", "yes", "write-lehrer-asd", "LEHRER_ASD.TXT"],
             self.check_export("LEHRER_ASD.TXT")),
        ]

    def states(self, tpl, command):
        """The data directory before the command and after a whole run of it (each followed by
        a start, as after a kill), as copies in the work folder."""
        before = tpl + "-before"
        after = tpl + "-after"
        for d in (before, after):
            if os.path.exists(d):
                shutil.rmtree(d)
            shutil.copytree(tpl, d)
        began = time.monotonic()
        self.run(after, *self.in_place(after, command))
        whole = time.monotonic() - began
        for d in (before, after):
            self.run(d, "tables")
        return before, after, whole

    @staticmethod
    def in_place(d, command):
        """The command with a relative export name made a path in the data directory."""
        return [os.path.join(d, a) if a.endswith(".TXT") else a for a in command]

    # --- checks: old or new, never a mix --------------------------------------------------

    def check_backup(self, point, d, before, after):
        secure, old, new = (os.path.join(x, "SECURE") for x in (d, before, after))
        for name in os.listdir(new):
            path = find(secure, name)
            if not path:
                self.fail(point, f"SECURE/{name} missing")
                continue
            data = read(path)
            old_path = find(old, name)
            if data != read(os.path.join(new, name)) and (
                    not old_path or data != read(old_path)):
                self.fail(point, f"SECURE/{name} is neither the previous copy nor the new one")
            elif name.lower().endswith(".dbf") and not complete(path):
                self.fail(point, f"SECURE/{name} is not complete")
        for name in os.listdir(secure):
            if name.endswith(".tmp"):
                self.fail(point, f"SECURE/{name} left after the next start")

    def check_restore(self, point, d, before, after):
        seen = set()
        for name in RESTORED:
            now = records(find(d, name))
            was, restored = records(find(before, name)), records(find(after, name))
            if was == restored:
                if now != was:
                    self.fail(point, f"{name}: {len(now)} records, neither state")
            elif now == was:
                seen.add("before")
            elif now == restored:
                seen.add("restored")
            else:
                self.fail(point, f"{name}: {len(now)} records, neither as before "
                                 f"({len(was)}) nor as restored ({len(restored)})")
        if len(seen) > 1:
            self.fail(point, "some tables restored, others not")
        for name in os.listdir(d):
            if name.endswith(".staged") or name.lower() == "velmoran_staged.lst":
                self.fail(point, f"{name} left after the next start")

    def check_export(self, name):
        def check(point, d, before, after):
            path = find(d, name)
            if not path:
                self.fail(point, f"{name} missing")
            elif read(path) not in (read(find(before, name)), read(find(after, name))):
                self.fail(point, f"{name} is neither the previous file nor the new one")
        return check

    # --- one command -------------------------------------------------------------------------

    def syscalls(self, tpl, command):
        """How many renames and writes a whole run of the command makes."""
        d = tpl + "-count"
        shutil.copytree(tpl, d)
        out = os.path.join(self.work, "strace.txt")
        subprocess.run([STRACE, "-f", "-c", "-o", out, "-e", "trace=" + ",".join(SYSCALLS),
                        self.cli, "-" + d, "--no-wait", *self.in_place(d, command)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        shutil.rmtree(d)
        count = {}
        for line in open(out):
            parts = line.split()
            if parts and parts[-1] in SYSCALLS:
                count[parts[-1]] = int(parts[3])
        return count

    def kill_at(self, d, command, delay=None, syscall=None, nth=None):
        """Run the command and kill it, after a delay or as it enters its nth rename."""
        args = [self.cli, "-" + d, "--no-wait", *self.in_place(d, command)]
        if syscall:
            args = [STRACE, "-f", "-qq", "-o", os.devnull, "-e", f"trace={syscall}",
                    "-e", f"inject={syscall}:signal=KILL:when={nth}", *args]
        child = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if delay is not None:
            time.sleep(delay)
            child.send_signal(signal.SIGKILL)
        return child.wait() == -signal.SIGKILL

    def scenario(self, name, tpl, command, check, points, rng):
        before, after, whole = self.states(tpl, command)
        kills = [(f"after {10 ** e * 1e3:.3f} ms", {"delay": 10 ** e})
                 for e in (rng.uniform(-5, max(-4.9, math.log10(whole)))
                           for _ in range(points))]
        calls = self.syscalls(tpl, command) if STRACE else {}
        writes = calls.pop("write", 0)
        renames = sum(calls.values())
        for syscall, n in calls.items():
            kills += [(f"at {syscall} #{i}", {"syscall": syscall, "nth": i})
                      for i in range(1, n + 1)]
        for i in sorted({1 + k * (writes - 1) // max(1, WRITE_POINTS - 1)
                         for k in range(WRITE_POINTS)} if writes else ()):
            kills.append((f"at write #{i}", {"syscall": "write", "nth": i}))
        d = os.path.join(self.work, "run-" + name)
        killed = 0
        for label, how in kills:
            shutil.copytree(tpl, d)
            killed += self.kill_at(d, command, **how)
            point = f"{name} {label}"
            r = self.run(d, "tables", check=False)
            if r.returncode != 0:
                self.fail(point, f"next start failed: {r.stdout.decode('cp1252', 'replace')}")
            else:
                check(point, d, before, after)
            shutil.rmtree(d)
        print(f"{name:17s} {points:3d} random kill points, {renames:2d} at renames, "
              f"{min(writes, WRITE_POINTS)} at writes, {killed:3d} killed mid-run, "
              f"whole run {whole * 1e3:.0f} ms")


    def two_copies(self, tpl, tries, rng):
        """Two copies started 0 to 120 ms apart on one data directory, each importing GPU002.TXT:
        each one either works undisturbed (exit 0) or ends at once with the single-user
        message; never a failure to open a table."""
        d = os.path.join(self.work, "run-two")
        single = "Velmoran 2021 ist ein Einzelplatzprogramm !"
        refused = 0
        for i in range(tries):
            shutil.copytree(tpl, d)
            offset = rng.uniform(0, 0.12)
            args = [self.cli, "-" + d, "--no-wait", "import-gpu002", self.gpu002]
            first = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            time.sleep(offset)
            second = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            for copy, child in (("first", first), ("second", second)):
                out = child.communicate()[0].decode("utf-8", "replace")
                point = f"two copies #{i} {offset * 1e3:.0f} ms apart, {copy}"
                if single in out:
                    refused += 1
                    if child.returncode == 0 or "abgeschlossen" in out:
                        self.fail(point, "the single-user message, yet it worked")
                elif child.returncode != 0:
                    self.fail(point, f"exit {child.returncode}: {out[-300:]}")
            r = self.run(d, "dump", "GPSUL", check=False)
            lines = r.stdout.count(b"\n")
            if r.returncode != 0 or lines != self.gpsul_lines:
                self.fail(f"two copies #{i}", f"GPSUL dumps {lines} lines, expected "
                                              f"{self.gpsul_lines}")
            shutil.rmtree(d)
        print(f"two copies       {tries:3d} tries, {refused:3d} copies refused with the "
              f"single-user message")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--points", type=int, default=25, help="random kill points per command")
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--lines", type=int, default=2000, help="lesson lines of the import")
    a = ap.parse_args()
    seed = a.seed if a.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    print(f"kill test of the writers: seed {seed}")
    if not STRACE:
        print("strace not found: no kills at the renames and writes")
    with tempfile.TemporaryDirectory(prefix="velmoran-kill-writers-") as work:
        driver = Driver(os.path.abspath(a.build), work)
        scenarios = driver.prepare(a.lines)
        for scenario in scenarios:
            driver.scenario(*scenario, a.points, rng)
        driver.two_copies(scenarios[0][1], a.points, rng)
        return driver.report()


if __name__ == "__main__":
    sys.exit(main())
