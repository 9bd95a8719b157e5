#!/usr/bin/env python3
"""Runs clang-tidy with the checked-in .clang-tidy over this project's own sources.

Usage: scripts/tidy.py BUILD_DIR [-j N] [REGEX...]

Every translation unit under src/ and tools/ in BUILD_DIR/compile_commands.json is checked (the
generated moc and resource files are not), or those whose path matches one of the REGEXes. A unit
is checked again only when its preprocessed text, its command, the configuration or the tools
changed: the results are kept by that hash in $TREVISK_TIDY_CACHE (default BUILD_DIR/tidy-cache),
since a full run costs minutes on a small machine. Findings in headers are shown once. Exit status
1 when anything was found.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import sys

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Paths are kept relative to the source folder in the cache, so that another clone can reuse it.
PLACEHOLDER = "@TREVISK_SOURCE@"
DIAGNOSTIC = re.compile(r"^(\S+):(\d+):(\d+): (warning|error): (.*?)(?: \[([\w.,-]+)\])?$")


def tidy_binary():
    for name in (os.environ.get("CLANG_TIDY"), "clang-tidy-14", "clang-tidy"):
        if name and shutil.which(name):
            return name
    sys.exit("clang-tidy is not installed (scripts/setup.sh installs it)")


def command_arguments(entry):
    if "arguments" in entry:
        return list(entry["arguments"])
    return shlex.split(entry["command"])


def preprocess_arguments(arguments):
    """The unit's own command with its output dropped: -E writes the preprocessed text to stdout."""
    result = []
    skip = False
    for argument in arguments:
        if skip:
            skip = False
        elif argument == "-o":
            skip = True
        elif argument != "-c":
            result.append(argument)
    return result + ["-E"]


def unit_key(entry, common):
    arguments = command_arguments(entry)
    preprocessed = subprocess.run(preprocess_arguments(arguments), cwd=entry["directory"],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    if preprocessed.returncode != 0:
        return None
    digest = hashlib.sha256(common)
    digest.update(" ".join(arguments).replace(SOURCE_DIR, PLACEHOLDER).encode())
    digest.update(preprocessed.stdout.replace(SOURCE_DIR.encode(), PLACEHOLDER.encode()))
    return digest.hexdigest()


def check_unit(tidy, build_dir, cache_dir, common, entry):
    key = unit_key(entry, common)
    cached = os.path.join(cache_dir, key) if key else None
    if cached and os.path.exists(cached):
        with open(cached, encoding="utf-8") as file:
            return json.load(file)["output"].replace(PLACEHOLDER, SOURCE_DIR), True
    run = subprocess.run([tidy, "-p", build_dir, "--quiet", entry["file"]], stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, text=True, errors="replace", check=False)
    output = run.stdout
    if run.returncode not in (0, 1) or (run.returncode == 1 and "error:" not in output):
        # A crash or a unit it could not read at all: shown, never kept.
        return output + run.stderr + f"{entry['file']}:1:1: error: clang-tidy ended with {run.returncode}\n", False
    if cached:
        with open(cached + ".tmp", "w", encoding="utf-8") as file:
            json.dump({"output": output.replace(SOURCE_DIR, PLACEHOLDER)}, file)
        os.replace(cached + ".tmp", cached)
    return output, False


def split_diagnostics(output):
    """Each finding with its notes and source lines, keyed by its first line."""
    blocks = []
    for line in output.splitlines():
        if DIAGNOSTIC.match(line):
            blocks.append([line])
        elif blocks:
            blocks[-1].append(line)
    return blocks


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build_dir")
    parser.add_argument("-j", type=int, default=os.cpu_count() or 1)
    parser.add_argument("patterns", nargs="*")
    options = parser.parse_intermixed_args()

    build_dir = os.path.abspath(options.build_dir)
    with open(os.path.join(build_dir, "compile_commands.json"), encoding="utf-8") as file:
        entries = json.load(file)
    own = re.compile("^" + re.escape(SOURCE_DIR) + "/(src|tools)/")
    wanted = [re.compile(pattern) for pattern in options.patterns]
    units = {}
    for entry in entries:
        path = os.path.abspath(os.path.join(entry["directory"], entry["file"]))
        if own.match(path) and (not wanted or any(pattern.search(path) for pattern in wanted)):
            units[path] = entry

    tidy = tidy_binary()
    cache_dir = os.environ.get("TREVISK_TIDY_CACHE") or os.path.join(build_dir, "tidy-cache")
    os.makedirs(cache_dir, exist_ok=True)
    common = hashlib.sha256()
    for tool in (tidy, command_arguments(next(iter(units.values())))[0] if units else "c++"):
        common.update(subprocess.run([tool, "--version"], stdout=subprocess.PIPE, check=False).stdout)
    with open(os.path.join(SOURCE_DIR, ".clang-tidy"), "rb") as file:
        common.update(file.read())

    seen = set()
    counts = {}
    reused = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.j)) as pool:
        jobs = [pool.submit(check_unit, tidy, build_dir, cache_dir, common.digest(), entry)
                for entry in units.values()]
        for job in concurrent.futures.as_completed(jobs):
            output, was_cached = job.result()
            reused += was_cached
            for block in split_diagnostics(output):
                if block[0] in seen:
                    continue
                seen.add(block[0])
                match = DIAGNOSTIC.match(block[0])
                name = match.group(6) or match.group(4)
                counts[name] = counts.get(name, 0) + 1
                print("\n".join(block), flush=True)

    total = sum(counts.values())
    print(f"clang-tidy: {len(units) - reused} of {len(units)} units checked (the rest unchanged since an earlier run), "
          f"{total} finding{'' if total == 1 else 's'}")
    for name, count in sorted(counts.items(), key=lambda item: (-item[1], item[0])):
        print(f"  {count:4} {name}")
    return 1 if total else 0


if __name__ == "__main__":
    sys.exit(main())
