#!/usr/bin/env python3
"""Lines of program against lines of tests: line_counts.py

Counts every line of the source and build files in each group. The Windows test tools
(probe, counter source, checkers) and the Wine session machinery are test equipment and the benchmarks measure, so both are
shown apart and left out of the ratio."""
import os
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
GROUPS = [
    ("program", ["src", "resources"]),
    ("tests", ["tests/unit", "tests/e2e", "tests/fuzz", "tests/layers", "tests/icons", "tests/package"]),
    ("test equipment", ["tests/tools", "tools/wine"]),
    ("benchmarks", ["bench"]),
]
ENDINGS = (".cpp", ".h", ".py", ".rc", ".manifest", "CMakeLists.txt")


def count(folders):
    total = 0
    for folder in folders:
        for root, _, files in os.walk(os.path.join(ROOT, folder)):
            for name in files:
                if name.endswith(ENDINGS):
                    with open(os.path.join(root, name), "rb") as f:
                        total += f.read().count(b"\n")
    return total


def main():
    counts = {name: count(folders) for name, folders in GROUPS}
    for name, _ in GROUPS:
        print(f"{name:>15}: {counts[name]:6}")
    print(f"tests / program: {counts['tests'] / counts['program']:.1%}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
