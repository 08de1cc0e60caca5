#!/usr/bin/python3
"""Crash safety of the tables: run a velmoran-cli command, SIGKILL it after a random delay
(microseconds to the command's whole run), start the program again and check the data
directory.

After every kill: all seven table files are present. After the next start (velmoran-cli
tables, which runs the start-up maintenance and opens every table in our layer): it exits 0,
every table's header agrees with its length, python3-dbf reads every record, every index
file is a walkable NTX tree holding each record of its table exactly once, and no file a
replacement makes beside the tables is left. The tables a scenario changes hold, record for
record, either what they held before the command or what the command gives when it runs to
its end (both taken after a next start), all of them the one or all the other: never a mix.

Kill points: a kill placed exactly before each rename the command makes (strace injects
SIGKILL into the Nth rename), so every step between a rename and the one after it is hit;
the other points after a random delay.

SCENARIOS below is the table of commands: each row names the template it starts from, the
command-line steps that prepare that template, the command, and the tables whose contents
are checked (None: only that the files are sound). Add a row for a new command.

    kill_test.py --build BUILD_DIR [--points N] [--seed S] [--lines L] [--only NAME,...]
"""
import argparse
import hashlib
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


# Files a replacement makes beside the tables; none may be left after the next start.
LEFTOVER_SUFFIXES = (".new", ".old")
LEFTOVER_NAMES = ("velmoran.journal", "temp.dbf")

# name: (template, steps that prepare it, command, tables checked for old-or-new contents).
# In steps and commands, {A:FILE} and {B:FILE} are the files of the two demo schools' exports
# and {UVD_B} a UVD.TXT written from school B. The base template holds school A: GPU002
# imported and transferred, teachers and extra work imported, names for some subjects;
# no-teachers is the same before its teachers were imported, old-fach holds FACH as an older
# version left it.
SCENARIOS = {
    "import-gpu002": ("base", [], ["import-gpu002", "{B:GPU002.TXT}"], ["gpsul.dbf"]),
    "import-gpu004": ("no-teachers", [], ["import-gpu004", "{B:GPU004.TXT}"], ["lehrer.dbf"]),
    "import-lehrer": ("base", [], ["import-lehrer", "{B:LEHRER.TXT}"], ["mehr_minder.dbf"]),
    "import-uvd": ("base", [], ["import-uvd", "{UVD_B}"], ["uvd.dbf"]),
    "transfer": ("base", [["import-gpu002", "{B:GPU002.TXT}"]], ["transfer"],
                 ["uvd.dbf", "fach.dbf", "klasse.dbf"]),
    "convert-subjects": ("base", [], ["convert-subjects"], ["uvd.dbf"]),
    "convert-classes": ("base", [], ["convert-classes"], ["uvd.dbf"]),
    "delete-all": ("base", [], ["--answer", "yes", "delete-all", "UVD"], ["uvd.dbf"]),
    "upgrade": ("old-fach", [], ["tables"], ["fach.dbf"]),
    "restore": ("base", [["--answer", "yes", "backup"], ["--answer", "yes", "delete-all", "UVD"]],
                ["restore", "gpsul.dbf", "uvd.dbf", "fach.dbf", "klasse.dbf"], None),
}


def live_records(path):
    """The live records of a table file as one digest and their count (raw bytes, in record
    order, the deleted ones left out)."""
    with open(path, "rb") as f:
        data = f.read()
    count, header_len, record_len = struct.unpack("<IHH", data[4:12])
    digest = hashlib.sha1()
    live = 0
    for r in range(count):
        rec = data[header_len + r * record_len:header_len + (r + 1) * record_len]
        if rec[:1] != b"*":
            digest.update(rec)
            live += 1
    return (digest.hexdigest(), live)


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
        """The templates the scenarios start from, and how to expand {A:..}, {B:..}, {UVD_B}."""
        files = {}
        for school, seed in (("A", 1), ("B", 2)):
            exports = os.path.join(self.work, "exports-" + school)
            subprocess.run([self.demo, "--lines", str(lines), "--seed", str(seed), exports],
                           check=True, stdout=subprocess.DEVNULL)
            for name in ("GPU002.TXT", "GPU004.TXT", "LEHRER.TXT"):
                files[f"{school}:{name}"] = find(exports, name)
        scratch = os.path.join(self.work, "school-b")
        os.makedirs(scratch)
        files["UVD_B"] = os.path.join(self.work, "UVD_B.TXT")
        for step in (["settings", "--school-form", "GY=Gymnasium"],
                     ["import-gpu002", files["B:GPU002.TXT"]], ["transfer"],
                     ["write-uvd", files["UVD_B"]]):
            self.run(scratch, *step)
        self.files = files

        no_teachers = os.path.join(self.work, "tpl-no-teachers")
        os.makedirs(no_teachers)
        for step in (["settings", "--school-form", "GY=Gymnasium"],
                     ["import-gpu002", files["A:GPU002.TXT"]], ["transfer"]):
            self.run(no_teachers, *step)
        base = os.path.join(self.work, "tpl-base")
        shutil.copytree(no_teachers, base)
        for step in (["import-gpu004", files["A:GPU004.TXT"]],
                     ["import-lehrer", files["A:LEHRER.TXT"]]):
            self.run(base, *step)
        # Names for the first subjects, so that the conversion changes UVD.
        for recno in range(1, 4):
            self.run(base, "set", "FACH", str(recno), "FACHNEU", f"D{recno}")
        old_fach = os.path.join(self.work, "tpl-old-fach")
        shutil.copytree(base, old_fach)
        self.narrow_fach(old_fach)
        return {"base": base, "no-teachers": no_teachers, "old-fach": old_fach}

    def expand(self, args):
        out = []
        for arg in args:
            if arg.startswith("{") and arg.endswith("}"):
                arg = self.files[arg[1:-1]]
            out.append(arg)
        return out

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

    def check_after_kill(self, point, d, tables, outcomes):
        # Between two renames a table file may be missing: the next start puts it back.
        r = self.run(d, "tables", check=False)
        if r.returncode != 0:
            self.fail(point, f"next start failed: {r.stdout.decode('cp1252', 'replace')}")
            return
        for entry in os.listdir(d):
            low = entry.lower()
            if low in LEFTOVER_NAMES or low.endswith(LEFTOVER_SUFFIXES):
                self.fail(point, f"{entry} left after the next start")
        counts = {}
        for t in TABLES:
            path = find(d, t)
            if path:
                counts[t] = self.check_dbf(point, path)
            else:
                self.fail(point, f"{t} missing after the next start")
        for ntx, table in INDEXES.items():
            path = find(d, ntx)
            if not path:
                self.fail(point, f"{ntx} missing after the next start")
            elif table in counts:
                self.check_ntx(point, path, counts[table])
        if tables:
            got = self.contents(d, tables)
            if got not in outcomes.values():
                said = ", ".join(f"{t}: {n} live records" for t, (_, n) in zip(tables, got))
                old = ", ".join(str(n) for _, n in outcomes["old"])
                new = ", ".join(str(n) for _, n in outcomes["new"])
                self.fail(point, f"neither the old contents nor the new: {said} "
                                 f"(old {old}, new {new})")

    def contents(self, d, tables):
        return tuple(live_records(find(d, t)) if find(d, t) else None for t in tables)

    # --- one scenario ------------------------------------------------------------------------

    def outcomes(self, tpl, prepared, command, tables):
        """The checked tables' contents after a next start without the command, and after
        the command run to its end; the command's whole run in seconds."""
        out = {}
        d = os.path.join(self.work, "outcome")
        for which in ("old", "new"):
            shutil.copytree(prepared, d)
            began = time.monotonic()
            if which == "new":
                self.run(d, *command)
            whole = time.monotonic() - began
            self.run(d, "tables")
            if tables:
                out[which] = self.contents(d, tables)
            shutil.rmtree(d)
        return out, whole

    def renames(self, prepared, command):
        """How many renames the command makes when it runs to its end."""
        d = os.path.join(self.work, "count")
        shutil.copytree(prepared, d)
        trace = os.path.join(self.work, "strace.txt")
        subprocess.run(["strace", "-f", "-qq", "-o", trace, "-e", "trace=" + RENAMES,
                        self.cli, "-" + d, "--no-wait", *command], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(trace) as f:
            n = sum(1 for line in f if "rename" in line)
        shutil.rmtree(d)
        return n

    def scenario(self, name, tpl, steps, command, tables, points, rng):
        prepared = os.path.join(self.work, "prepared-" + name)
        shutil.copytree(tpl, prepared)
        for step in steps:
            self.run(prepared, *self.expand(step))
        command = self.expand(command)
        outcomes, whole = self.outcomes(tpl if not steps else prepared, prepared, command,
                                        tables)
        # Where the command changes nothing (the upgrade, which the next start does anyway;
        # a conversion without names) the check is that no record is lost or changed.
        alike = bool(tables) and outcomes["old"] == outcomes["new"]
        # Kills exactly before each rename first (as many as the points allow), then at random
        # moments.
        renames = self.renames(prepared, command) if STRACE else 0
        at_rename = list(range(1, renames + 1))[:points]
        d = os.path.join(self.work, "run-" + name)
        killed = 0
        for i in range(points):
            shutil.copytree(prepared, d)
            if i < len(at_rename):
                n = at_rename[i]
                what = f"before rename {n}"
                child = subprocess.Popen(
                    ["strace", "-f", "-qq", "-o", os.devnull, "-e", "trace=" + RENAMES,
                     "-e", f"inject={RENAMES}:signal=KILL:when={n}",
                     self.cli, "-" + d, "--no-wait", *command],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                child.wait()
                killed += 1
            else:
                # Log-uniform from 10 microseconds to the whole run: early kills (start-up)
                # and late ones (flush) are both hit.
                delay = 10 ** rng.uniform(-5, max(-4.9, math.log10(whole)))
                what = f"after {delay * 1e3:.3f} ms"
                child = subprocess.Popen([self.cli, "-" + d, "--no-wait", *command],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                time.sleep(delay)
                child.send_signal(signal.SIGKILL)
                if child.wait() == -signal.SIGKILL:
                    killed += 1
            self.check_after_kill(f"{name}#{i} {what}", d, tables, outcomes)
            shutil.rmtree(d)
        shutil.rmtree(prepared)
        print(f"{name:16s} {points:4d} points ({len(at_rename)} before a rename of {renames}), "
              f"{killed:4d} killed mid-run, whole run {whole * 1e3:.0f} ms"
              + ("" if tables else ", files checked, contents not")
              + (", old and new contents alike" if alike else ""))

    def report(self):
        """The failures printed (the first 50) and counted; the exit status of the test."""
        for f in self.failures[:50]:
            print("FAIL", f)
        print(f"{len(self.failures)} failures")
        return 1 if self.failures else 0


RENAMES = "rename,renameat,renameat2"
STRACE = shutil.which("strace") is not None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--points", type=int, default=300, help="kill points in all")
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--lines", type=int, default=2000, help="lesson lines of the import")
    ap.add_argument("--only", default=None, help="scenarios to run, separated by commas")
    a = ap.parse_args()
    seed = a.seed if a.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    print(f"kill test: seed {seed}" + ("" if STRACE else " (no strace: random kills only)"))
    names = a.only.split(",") if a.only else list(SCENARIOS)
    with tempfile.TemporaryDirectory(prefix="velmoran-kill-") as work:
        driver = Driver(os.path.abspath(a.build), work)
        templates = driver.templates(a.lines)
        for i, name in enumerate(names):
            tpl, steps, command, tables = SCENARIOS[name]
            share = a.points // len(names) + (1 if i < a.points % len(names) else 0)
            driver.scenario(name, templates[tpl], steps, command, tables, share, rng)
        return driver.report()


if __name__ == "__main__":
    sys.exit(main())
