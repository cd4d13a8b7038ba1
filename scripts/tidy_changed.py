#!/usr/bin/env python3
"""clang-tidy on the sources of a build whose code changed since their last clean pass.

Usage: tidy_changed.py BUILD_DIR JOBS

A source counts as unchanged when the file, every header of ours it includes (ninja's dependency
record of its object), its compile command, .clang-tidy and clang-tidy's version are all as they
were when it last passed; its pass is kept in BUILD_DIR/tidy-cache. Only the sources below src/
are checked. Exits 1 when clang-tidy reports anything, printing the reports.
"""

import concurrent.futures
import hashlib
import json
import os
import shlex
import subprocess
import sys


def object_of(command):
    words = shlex.split(command)
    return words[words.index("-o") + 1] if "-o" in words else None


def ninja_deps(build_dir):
    """Object file -> the files it was compiled from, as ninja recorded them."""
    text = subprocess.run(["ninja", "-C", build_dir, "-t", "deps"], capture_output=True,
                          text=True, check=True).stdout
    deps, current = {}, None
    for line in text.splitlines():
        if line and not line.startswith(" "):
            current = line.split(":", 1)[0]
            deps[current] = []
        elif line.strip() and current is not None:
            deps[current].append(line.strip())
    return deps


def main():
    build_dir, jobs = sys.argv[1], int(sys.argv[2])
    root = os.getcwd()
    cache_dir = os.path.join(build_dir, "tidy-cache")
    os.makedirs(cache_dir, exist_ok=True)
    with open(os.path.join(build_dir, "compile_commands.json"), encoding="utf-8") as f:
        entries = [e for e in json.load(f) if e["file"].startswith(os.path.join(root, "src") + os.sep)]
    deps = ninja_deps(build_dir)
    common = hashlib.sha256()
    common.update(subprocess.run(["clang-tidy", "--version"], capture_output=True).stdout)
    with open(os.path.join(root, ".clang-tidy"), "rb") as f:
        common.update(f.read())

    def key_of(entry):
        digest = common.copy()
        digest.update(entry["command"].encode())
        files = [entry["file"]]
        for dep in deps.get(object_of(entry["command"]) or "", []):
            path = os.path.normpath(os.path.join(entry["directory"], dep))
            if path.startswith(root + os.sep):  # system headers change only with the compiler
                files.append(path)
        for path in sorted(set(files)):
            digest.update(path.encode())
            try:
                with open(path, "rb") as f:
                    digest.update(f.read())
            except OSError:
                digest.update(b"missing")
        return digest.hexdigest()

    def stamp_of(entry):
        return os.path.join(cache_dir, hashlib.sha256(entry["file"].encode()).hexdigest())

    todo = []
    for entry in entries:
        key = key_of(entry)
        stamp = stamp_of(entry)
        if os.path.exists(stamp) and open(stamp, encoding="utf-8").read() == key:
            continue
        todo.append((entry, key, stamp))
    print(f"clang-tidy: {len(todo)} of {len(entries)} sources changed since their last pass")

    def tidy(item):
        entry, key, stamp = item
        # The build is GCC's; clang needs more room than its default to evaluate the embedded
        # language table at compile time.
        run = subprocess.run(["clang-tidy", "-p", build_dir, "--quiet",
                              "--extra-arg=-fconstexpr-steps=200000000", entry["file"]],
                             capture_output=True, text=True)
        report = "\n".join(line for line in run.stdout.splitlines() if line.strip())
        clean = run.returncode == 0 and "warning:" not in report and "error:" not in report
        if clean:
            with open(stamp, "w", encoding="utf-8") as f:
                f.write(key)
        return entry["file"], clean, report

    failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, jobs)) as pool:
        for path, clean, report in pool.map(tidy, todo):
            if not clean:
                failed += 1
                print(f"clang-tidy: {os.path.relpath(path, root)}\n{report}")
    if failed:
        print(f"clang-tidy: {failed} source(s) with reports")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
