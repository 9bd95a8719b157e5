#!/usr/bin/env python3
"""Checks that every folder under src/ includes only folders added before it in src/CMakeLists.txt.

The order of add_subdirectory() there is the drawing of the layers: an include of a folder added
later runs up (or sideways), which is what this check refuses. `--draw` prints the layers and
their arrows."""
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent
src = root / "src"
order = re.findall(r"^add_subdirectory\((\w+)\)", (src / "CMakeLists.txt").read_text(), re.M)
rank = {name: i for i, name in enumerate(order)}

uses = {name: set() for name in order}
faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".cpp", ".h"):
        continue
    folder = path.relative_to(src).parts[0]
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        match = re.match(r'\s*#\s*include\s+"(\w+)/', line)
        if not match or match.group(1) == folder or match.group(1) not in rank:
            continue
        target = match.group(1)
        uses[folder].add(target)
        if folder not in rank:
            faults.append(f"{path.relative_to(root)}: the folder {folder} is not added in src/CMakeLists.txt")
        elif rank[target] > rank[folder]:
            faults.append(f"{path.relative_to(root)}:{number}: {folder} includes {target}, which comes later")

if "--draw" in sys.argv:
    for name in reversed(order):
        print(f"{name:8} -> {' '.join(sorted(uses[name], key=rank.get, reverse=True))}")
for fault in faults:
    print(fault, file=sys.stderr)
sys.exit(1 if faults else 0)
