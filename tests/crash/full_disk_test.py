#!/usr/bin/python3
"""A full disk: each command that replaces tables runs on a small file system (a tmpfs this
test mounts, so it needs root; without root it says so and passes) filled up to a few
kilobytes, at several levels of free space. Where the command fails it says so in German and
every checked table keeps its old contents, record for record; where the space sufficed the
tables hold the new contents. After the space is freed the next start succeeds and leaves no
file beside the tables.

The commands are the rows of SCENARIOS in kill_test.py (restore, whose contents are not
checked there, is left out), and the backup: each copy in SECURE is afterwards its previous
copy or the new one, whole; a copy that could not be made is named in German; the next start
leaves nothing half-written in SECURE.

    full_disk_test.py --build BUILD_DIR [--lines L]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import kill_test

# Free bytes left on the file system before the command runs.
FREE = [0, 4096, 64 * 1024, 512 * 1024, 3 << 20]
# What the program says when a table cannot be written; at start-up (the upgrade) the
# message about an unexpected error.
GERMAN = ("nicht geschrieben werden: Ist der Datenträger voll oder schreibgeschützt?",
          "Ein unerwarteter Fehler ist aufgetreten")


def fill(directory, free):
    """A file that takes the space of the file system but `free` bytes."""
    st = os.statvfs(directory)
    room = st.f_bavail * st.f_frsize - free
    with open(os.path.join(directory, "filler"), "wb") as f:
        while room > 0:
            chunk = min(room, 1 << 20)
            try:
                f.write(b"\0" * chunk)
                f.flush()
            except OSError:
                break
            room -= chunk


def read(path):
    with open(path, "rb") as f:
        return f.read()


def files_in(folder):
    return {e: read(os.path.join(folder, e)) for e in os.listdir(folder)
            if os.path.isfile(os.path.join(folder, e))}


def backup_on_full_disk(driver, templates, work, mount):
    """The backup over an older backup, at each level of free space."""
    failures = []
    prepared = os.path.join(work, "prepared-backup")
    shutil.copytree(templates["base"], prepared)
    driver.run(prepared, "--answer", "yes", "backup")
    # The live tables move on from the copies in SECURE.
    driver.run(prepared, *driver.expand(["import-gpu002", "{B:GPU002.TXT}"]))
    driver.run(prepared, "transfer")
    size = sum(os.path.getsize(os.path.join(r, f)) for r, _, fs in os.walk(prepared) for f in fs)
    refused = 0
    for free in FREE:
        point = f"backup with {free} bytes free"
        subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size + (4 << 20)}", "tmpfs",
                        mount], check=True)
        try:
            d = os.path.join(mount, "data")
            shutil.copytree(prepared, d)
            secure = kill_test.find(d, "SECURE")
            before = files_in(secure)
            fill(mount, free)
            r = driver.run(d, "--answer", "yes", "backup", check=False)
            said = r.stdout.decode("utf-8", "replace")
            os.remove(os.path.join(mount, "filler"))
            driver.run(d, "tables")  # the next start
            after = files_in(secure)
            kept = [n for n in before if after.get(n) == before[n]]
            for name, data in after.items():
                live = kill_test.find(d, name)
                if name in before and data == before[name]:
                    continue
                if live is None or data != read(live):
                    failures.append(f"{point}: SECURE/{name} is neither its old copy nor the "
                                    f"table's bytes")
            lost = [n for n in before if n not in after]
            if lost:
                failures.append(f"{point}: copies gone from SECURE: {lost}")
            changed = [n for n in kept if kill_test.find(d, n) and
                       read(kill_test.find(d, n)) != before[n]]
            if changed:
                refused += 1
                if "nicht gesichert" not in said and "Nicht gesichert" not in said:
                    failures.append(f"{point}: copies kept without a German word: "
                                    f"{said.strip()}")
        finally:
            subprocess.run(["umount", mount], check=True)
    print(f"{'backup':16s} {len(FREE)} levels of free space, refused at {refused}")
    return failures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--lines", type=int, default=2000)
    a = ap.parse_args()
    if os.geteuid() != 0:
        print("full-disk test skipped: mounting a tmpfs needs root")
        return 0
    failures = []
    with tempfile.TemporaryDirectory(prefix="velmoran-full-") as work:
        driver = kill_test.Driver(os.path.abspath(a.build), work)
        templates = driver.templates(a.lines)
        mount = os.path.join(work, "small")
        os.makedirs(mount)
        for name, (tpl, steps, command, tables) in kill_test.SCENARIOS.items():
            if not tables:
                continue
            prepared = os.path.join(work, "prepared-" + name)
            shutil.copytree(templates[tpl], prepared)
            for step in steps:
                driver.run(prepared, *driver.expand(step))
            command = driver.expand(command)
            outcomes, _ = driver.outcomes(prepared, prepared, command, tables)
            # The old contents as the files hold them (for the upgrade: in the old structure).
            old = (outcomes["old"], driver.contents(prepared, tables))
            size = sum(os.path.getsize(os.path.join(r, f))
                       for r, _, fs in os.walk(prepared) for f in fs)
            refused = 0
            for free in FREE:
                point = f"{name} with {free} bytes free"
                subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size + (4 << 20)}",
                                "tmpfs", mount], check=True)
                try:
                    d = os.path.join(mount, "data")
                    shutil.copytree(prepared, d)
                    fill(mount, free)
                    r = driver.run(d, *command, check=False)
                    said = r.stdout.decode("utf-8", "replace")
                    got = driver.contents(d, tables)
                    if got == outcomes["new"] and r.returncode == 0:
                        pass
                    elif got in old:
                        refused += 1
                        # The start-up maintenance goes on without an upgrade it could not
                        # write, which it notes in the error log and tries again next time.
                        log = kill_test.find(d, "velmoran_error.log")
                        logged = command == ["tables"] and log and "No space" in open(
                            log, encoding="cp1252", errors="replace").read()
                        if not logged and not any(g in said for g in GERMAN):
                            failures.append(f"{point}: no German message: {said.strip()}")
                    else:
                        failures.append(f"{point}: neither old nor new contents ({said.strip()})")
                    os.remove(os.path.join(mount, "filler"))
                    driver.failures = []
                    driver.check_after_kill(point, d, None, None)
                    failures += driver.failures
                finally:
                    subprocess.run(["umount", mount], check=True)
            shutil.rmtree(prepared)
            print(f"{name:16s} {len(FREE)} levels of free space, refused at {refused}")
        failures += backup_on_full_disk(driver, templates, work, mount)
    for f in failures:
        print("FAIL", f)
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
