#!/usr/bin/env python3
"""Builds the Windows packages from a built lumora.exe: make_package.py LUMORA_EXE OUT_FOLDER

  OUT_FOLDER/lumora-VERSION-setup.exe     the installer (lumora.nsi beside this file, NSIS's makensis)
  OUT_FOLDER/lumora-VERSION-portable.zip  lumora.exe, README.txt and LICENSE.txt

The version and the names come from resources/version.h, the one place that holds them."""
import os
import re
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
VERSION_HEADER = os.path.join(SOURCE, "resources", "version.h")


def version_defines(path=VERSION_HEADER):
    """The header's #defines, numbers and strings, as Python values."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    defines = {}
    for name, value in re.findall(r'^#define\s+LUMORA_(\w+)\s+(.+?)\s*$', text, re.M):
        defines[name] = value[1:-1] if value.startswith('"') else int(value)
    return defines


def package_names(defines):
    version = defines["VERSION_TEXT"]
    return f"lumora-{version}-setup.exe", f"lumora-{version}-portable.zip"


def windows_text(path):
    """A text file with CRLF line ends, as Notepad and the installer's licence page want it."""
    with open(path, encoding="utf-8") as f:
        return f.read().replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_zip(exe, out_path):
    # Every entry carries the exe's time, so that the same build gives the same zip.
    date_time = time.localtime(os.path.getmtime(exe))[:6]
    temporary = out_path + ".new"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in (("lumora.exe", open(exe, "rb").read()),
                           ("README.txt", windows_text(os.path.join(SOURCE, "README.md"))),
                           ("LICENSE.txt", windows_text(os.path.join(SOURCE, "LICENSE")))):
            entry = zipfile.ZipInfo(name, date_time)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data)
    os.replace(temporary, out_path)


def write_installer(exe, out_path, defines, staging):
    licence = os.path.join(staging, "LICENSE.txt")
    with open(licence, "wb") as f:
        f.write(windows_text(os.path.join(SOURCE, "LICENSE")))
    values = {
        "VERSION": defines["VERSION_TEXT"],
        "VERSION_QUAD": f"{defines['VERSION_MAJOR']}.{defines['VERSION_MINOR']}.0.0",
        "PRODUCT": defines["PRODUCT_NAME"],
        "PUBLISHER": defines["PUBLISHER"],
        "COPYRIGHT": defines["COPYRIGHT"],
        "LUMORA_EXE": os.path.abspath(exe),
        "LICENSE_FILE": licence,
        "ICON": os.path.join(SOURCE, "resources", "lumora.ico"),
        "OUTFILE": os.path.abspath(out_path),
    }
    # -WX: a warning in the script is an error, as in the program's own build.
    command = ["makensis", "-V2", "-WX"] + [f"-D{name}={value}" for name, value in values.items()]
    subprocess.run(command + [os.path.join(HERE, "lumora.nsi")], check=True, stdin=subprocess.DEVNULL)


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    exe, out_folder = argv[1], argv[2]
    defines = version_defines()
    setup_name, zip_name = package_names(defines)
    os.makedirs(out_folder, exist_ok=True)
    with tempfile.TemporaryDirectory() as staging:
        write_installer(exe, os.path.join(out_folder, setup_name), defines, staging)
    write_zip(exe, os.path.join(out_folder, zip_name))
    for name in (setup_name, zip_name):
        print(os.path.join(out_folder, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
