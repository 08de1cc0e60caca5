#!/usr/bin/python3
"""Crash safety of the tables: run a velmoran-cli command, SIGKILL it after a random delay
(microseconds to the command's whole run), start the program again and check the data
directory.

After every kill: all seven table files are present. After the next start (velmoran-cli
tables, which runs the start-up maintenance and opens every table in our layer): it exits 0,
every table's header agrees with its length, python3-dbf reads every record, and every index
file is a walkable NTX tree holding each record of its table exactly once.

Scenarios: GPU002.TXT import, transfer into UVD, class conversion, structure upgrade at
start-up, restore from the backup folder.

    kill_test.py --build BUILD_DIR [--points N] [--seed S] [--lines L]
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

TABLES = ["gpsul.dbf", "uvd.dbf", "zulfach.dbf", "fach.dbf", "klasse.dbf", "lehrer.dbf",
          "mehr_minder.dbf"]
INDEXES = {"UNR.NTX": "gpsul.dbf", "GPKLASSE.NTX": "gpsul.dbf", "GPLEHRER.NTX": "gpsul.dbf",
           "GPFACH.NTX": "gpsul.dbf", "GPRAUM.NTX": "gpsul.dbf", "FACH.NTX": "fach.dbf",
           "KLASSE.NTX": "klasse.dbf", "LEHRER.NTX": "lehrer.dbf",
           "UNTIS_KRZ.NTX": "mehr_minder.dbf", "ZULFACH.NTX": "zulfach.dbf"}


def find(directory, name):
    """The file of this name in the folder, whatever its case (as the program finds it)."""
    for entry in os.listdir(directory):
        if entry.lower() == name.lower():
            return os.path.join(directory, entry)
    return None


class Driver:
    def __init__(self, build, work):
        self.cli = os.path.join(build, "bin", "velmoran-cli")
        self.demo = os.path.join(build, "tools", "demo_school")
        self.work = work
        self.failures = []

    def run(self, data, *args, check=True):
        r = subprocess.run([self.cli, "-" + data, "--no-wait", *args], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT)
        if check and r.returncode != 0:
            raise RuntimeError(f"{args} failed ({r.returncode}): {r.stdout.decode('cp1252')}")
        return r

    # --- templates: a data directory as each scenario finds it -------------------------------

    def templates(self, lines):
        """A data directory as each scenario finds it, and the scenario's command. Each one
        goes on from the one before: provisioned, imported, transferred."""
        exports = os.path.join(self.work, "exports")
        subprocess.run([self.demo, "--lines", str(lines), exports], check=True,
                       stdout=subprocess.DEVNULL)
        gpu002 = find(exports, "GPU002.TXT")
        d = os.path.join(self.work, "tpl-import")
        os.makedirs(d)
        self.run(d, "settings", "--school-form", "GY=Gymnasium")
        made = {"import": (d, ["import-gpu002", gpu002])}

        def step(name, command, *prepare):
            nonlocal d
            after = os.path.join(self.work, "tpl-" + name)
            shutil.copytree(d, after)
            for p in prepare:
                self.run(after, *p)
            made[name] = (after, command)
            return after

        d = step("transfer", ["transfer"], ["import-gpu002", gpu002])
        d = step("conversion", ["convert-classes"], ["transfer"])
        self.narrow_fach(step("upgrade", ["tables"]))
        step("restore", ["restore", "gpsul.dbf", "uvd.dbf", "fach.dbf", "klasse.dbf"],
             ["--answer", "yes", "backup"], ["--answer", "yes", "delete-all", "UVD"])
        return made

    def narrow_fach(self, d):
        """FACH as an older version left it: FACHNEU 40 wide, no KURSART; many records."""
        path = find(d, "fach.dbf")
        os.remove(path)
        old = dbf.Table(path, "FACHALT C(20); FACHNEU C(40)", codepage="cp850",
                        dbf_type="db3")
        old.open(dbf.READ_WRITE)
        for i in range(20000):
            old.append((f"F{i}", f"Fach Nummer {i} \u00e4\u00f6\u00fc"))
        old.close()

    # --- checks ---------------------------------------------------------------------------

    def fail(self, point, what):
        self.failures.append(f"{point}: {what}")

    def check_header(self, point, path):
        size = os.path.getsize(path)
        with open(path, "rb") as f:
            head = f.read(12)
        if len(head) < 12:
            self.fail(point, f"{path}: header cut ({size} bytes)")
            return 0
        count, header_len, record_len = struct.unpack("<IHH", head[4:12])
        expected = header_len + count * record_len
        if size not in (expected, expected + 1):
            self.fail(point, f"{os.path.basename(path)}: header says {count} records "
                             f"({expected} bytes), file has {size}")
        return count

    def check_dbf(self, point, path):
        count = self.check_header(point, path)
        try:
            t = dbf.Table(path, codepage="cp850")
            t.open(dbf.READ_ONLY)
            read = sum(1 for _ in t)
            t.close()
            if read != count:
                self.fail(point, f"{os.path.basename(path)}: python3-dbf read {read} of {count}")
        except Exception as e:  # the independent reader refuses the file
            self.fail(point, f"{os.path.basename(path)}: python3-dbf: {e}")
        return count

    def check_ntx(self, point, path, records):
        name = os.path.basename(path)
        with open(path, "rb") as f:
            data = f.read()
        if len(data) < 2048 or len(data) % 1024:
            self.fail(point, f"{name}: {len(data)} bytes is no NTX file")
            return
        sig, _, root, _, item, key, _, maxkeys = struct.unpack("<HHIIHHHH", data[:20])
        if sig != 6 or item != key + 8 or root % 1024 or root >= len(data):
            self.fail(point, f"{name}: bad header")
            return
        seen = []

        def walk(page, depth):
            if depth > 32 or page == 0 or page % 1024 or page + 1024 > len(data):
                raise ValueError(f"bad page {page}")
            p = data[page:page + 1024]
            k = struct.unpack("<H", p[:2])[0]
            if k > maxkeys:
                raise ValueError(f"page {page} holds {k} keys")
            for i in range(k + 1):
                off = struct.unpack("<H", p[2 + 2 * i:4 + 2 * i])[0]
                left, recno = struct.unpack("<II", p[off:off + 8])
                if left:
                    walk(left, depth + 1)
                if i < k:
                    seen.append(recno)

        try:
            walk(root, 0)
        except (ValueError, struct.error) as e:
            self.fail(point, f"{name}: {e}")
            return
        if sorted(seen) != list(range(1, records + 1)):
            self.fail(point, f"{name}: {len(seen)} keys for {records} records")

    def check_after_kill(self, point, d):
        for t in TABLES:
            if not find(d, t):
                self.fail(point, f"{t} missing after the kill")
        r = self.run(d, "tables", check=False)
        if r.returncode != 0:
            self.fail(point, f"next start failed: {r.stdout.decode('cp1252', 'replace')}")
            return
        counts = {}
        for t in TABLES:
            path = find(d, t)
            if path:
                counts[t] = self.check_dbf(point, path)
        for ntx, table in INDEXES.items():
            path = find(d, ntx)
            if not path:
                self.fail(point, f"{ntx} missing after the next start")
            elif table in counts:
                self.check_ntx(point, path, counts[table])

    # --- one scenario ------------------------------------------------------------------------

    def scenario(self, name, tpl, command, points, rng):
        d = os.path.join(self.work, "run-" + name)
        shutil.copytree(tpl, d)
        began = time.monotonic()
        self.run(d, *command)
        whole = time.monotonic() - began
        shutil.rmtree(d)
        killed = 0
        for i in range(points):
            shutil.copytree(tpl, d)
            # Log-uniform from 10 microseconds to the whole run: early kills (start-up) and
            # late ones (flush) are both hit.
            delay = 10 ** rng.uniform(-5, max(-4.9, math.log10(whole)))
            child = subprocess.Popen([self.cli, "-" + d, "--no-wait", *command],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(delay)
            child.send_signal(signal.SIGKILL)
            if child.wait() == -signal.SIGKILL:
                killed += 1
            self.check_after_kill(f"{name}#{i} after {delay * 1e3:.3f} ms", d)
            shutil.rmtree(d)
        print(f"{name:10s} {points:4d} points, {killed:4d} killed mid-run, "
              f"whole run {whole * 1e3:.0f} ms")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--points", type=int, default=200, help="kill points in all")
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--lines", type=int, default=2000, help="lesson lines of the import")
    a = ap.parse_args()
    seed = a.seed if a.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    print(f"kill test: seed {seed}")
    scenarios = ["import", "transfer", "conversion", "upgrade", "restore"]
    with tempfile.TemporaryDirectory(prefix="velmoran-kill-") as work:
        driver = Driver(os.path.abspath(a.build), work)
        templates = driver.templates(a.lines)
        for i, name in enumerate(scenarios):
            share = a.points // len(scenarios) + (1 if i < a.points % len(scenarios) else 0)
            driver.scenario(name, *templates[name], share, rng)
        for f in driver.failures[:50]:
            print("FAIL", f)
        print(f"{len(driver.failures)} failures")
        return 1 if driver.failures else 0


if __name__ == "__main__":
    sys.exit(main())
