#!/usr/bin/env python3
"""Checks that a release can be rebuilt and compared, and that a version bump reaches the program.

  1. Clones the committed HEAD twice, into two temporary folders of different names, builds
     lumora.exe and the packages in each (as `make package` does), a few seconds apart, and
     compares lumora.exe, the portable zip and the installer byte by byte.
  2. In the second clone, bumps the version in resources/version.h, builds incrementally and
     reads the version back from the new lumora.exe; then changes an icon and checks that the
     program changes too.

Only lumora.exe is built: the Windows test tools go into no package."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE, "packaging"))
import make_package  # noqa: E402  (found through the path above)

EXE = os.path.join("build", "windows", "lumora.exe")


def run(command, cwd, env):
    subprocess.run(command, cwd=cwd, env=env, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def build(clone, env, package=True):
    run(["cmake", "--build", "--preset", "windows", "--target", "lumora"], clone, env)
    if package:
        run([sys.executable, "packaging/make_package.py", EXE, "build/package"], clone, env)


def first_difference(a, b):
    """None when the files are equal, else the first offset at which they differ."""
    with open(a, "rb") as fa, open(b, "rb") as fb:
        x, y = fa.read(), fb.read()
    if x == y:
        return None
    return next((i for i in range(min(len(x), len(y))) if x[i] != y[i]), min(len(x), len(y)))


def main():
    # The commit's own time, as a user's build takes it, not one this shell may have set.
    env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
    setup_name, zip_name = make_package.package_names(make_package.version_defines())
    products = [EXE, os.path.join("build", "package", zip_name), os.path.join("build", "package", setup_name)]
    failed = []
    with tempfile.TemporaryDirectory(prefix="lumora-repro-") as work:
        clones = [os.path.join(work, "first"), os.path.join(work, "second", "a-longer-folder-name")]
        for number, clone in enumerate(clones):
            if number:
                time.sleep(3)  # so that a clock that reaches a file shows
            run(["git", "clone", "--quiet", SOURCE, clone], work, env)
            run(["cmake", "--preset", "windows"], clone, env)
            build(clone, env)
        for product in products:
            at = first_difference(*(os.path.join(clone, product) for clone in clones))
            print(f"{product}: {'identical' if at is None else f'DIFFERS from offset {at} (0x{at:x})'}")
            if at is not None:
                failed.append(f"{product} differs between two builds of the same commit")

        clone = clones[1]
        header = os.path.join(clone, "resources", "version.h")
        with open(header, encoding="utf-8") as f:
            text = f.read()
        minor = int(re.search(r"LUMORA_VERSION_MINOR (\d+)", text).group(1)) + 1
        text = re.sub(r"LUMORA_VERSION_MINOR \d+", f"LUMORA_VERSION_MINOR {minor}", text)
        text = re.sub(r'LUMORA_VERSION_TEXT "(\d+)\.\d+"', rf'LUMORA_VERSION_TEXT "\g<1>.{minor}"', text)
        with open(header, "w", encoding="utf-8") as f:
            f.write(text)
        build(clone, env, package=False)
        file_version, _, strings = make_package.version_resource(os.path.join(clone, EXE))
        print(f"after the version bump to minor {minor}: lumora.exe says {file_version}, {strings.get('FileVersion')}")
        if file_version[1] != minor or not strings.get("FileVersion", "").endswith(f".{minor}"):
            failed.append("an incremental build after a version bump kept the old VERSIONINFO")

        before = open(os.path.join(clone, EXE), "rb").read()
        icons = os.path.join(clone, "resources")
        shutil.copyfile(os.path.join(icons, "lumora.ico"), os.path.join(icons, "tray_idle.ico"))
        build(clone, env, package=False)
        if open(os.path.join(clone, EXE), "rb").read() == before:
            failed.append("an incremental build after an icon changed kept the old icon")
        else:
            print("after an icon changed: lumora.exe changed")

    for failure in failed:
        print("FAILED:", failure)
    print(f"reproducible: {5 - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
