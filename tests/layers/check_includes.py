#!/usr/bin/env python3
"""Fails when a source file includes a subsystem above its own: check_includes.py [SRC]

The layers, top to bottom: app; indicators and options; sampling and settings; support. A file
may include its own folder and the layers below it, never a layer above nor a peer beside it,
so that the measuring core never depends on the program that shows it."""
import os
import re
import sys

LAYERS = {"app": 3, "indicators": 2, "options": 2, "sampling": 1, "settings": 1, "support": 0}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^/"]+)/[^"]*"', re.M)


def violations(src):
    found = []
    for folder in sorted(os.listdir(src)):
        if folder not in LAYERS:
            continue
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                path = os.path.join(root, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for match in INCLUDE.finditer(text):
                    target = match.group(1)
                    if target == folder or target not in LAYERS:
                        continue
                    if LAYERS[target] >= LAYERS[folder]:
                        line = text.count("\n", 0, match.start()) + 1
                        found.append(f"{os.path.relpath(path, src)}:{line}: {folder} includes {target}/, "
                                     f"which is not below it")
    return found


def main(argv):
    src = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src")
    found = violations(src)
    for line in found:
        print(line)
    print(f"{len(found)} include(s) pointing up or sideways")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
