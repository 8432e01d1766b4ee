#!/usr/bin/env python3
"""Builds the Windows packages from a built lumora.exe: make_package.py LUMORA_EXE OUT_FOLDER

  OUT_FOLDER/lumora-VERSION-setup.exe     the installer (lumora.nsi beside this file, NSIS's makensis)
  OUT_FOLDER/lumora-VERSION-portable.zip  lumora.exe, README.txt and LICENSE.txt
  OUT_FOLDER/SHA256SUMS                   both files' SHA-256, as `sha256sum -c` reads them
  OUT_FOLDER/winget/manifests/...         the winget manifest, laid out as in winget's repository
  OUT_FOLDER/scoop/lumora.json            the Scoop manifest for the portable zip

The version and the names come from resources/version.h, the one place that holds them."""
import hashlib
import json
import os
import re
import struct
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


def version_resource(path):
    """(file version, product version, {string: value}) of a PE file's VERSIONINFO, read the way
    Explorer's Properties read it, without Windows. The installer's payload is compressed, so
    the first VS_VERSION_INFO block in either file is its own resource."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find("VS_VERSION_INFO".encode("utf-16-le")) - 6
    if at < 0:
        raise AssertionError(f"{path}: no version information")
    block = data[at:at + struct.unpack_from("<H", data, at)[0]]

    def parse(at):
        length, value_length, is_text = struct.unpack_from("<HHH", block, at)
        key_end = at + 6
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        value_at = (key_end + 5) & ~3
        value = block[value_at:min(at + length, value_at + value_length * (2 if is_text else 1))]
        children, child = [], (value_at + len(value) + 3) & ~3
        while child < at + length:
            children.append(parse(child))
            child = (child + children[-1][3] + 3) & ~3
        return block[at + 6:key_end].decode("utf-16-le"), value, children, length

    _, fixed, children, _ = parse(0)
    strings = {key: value.decode("utf-16-le").split("\0")[0]
               for name, _, tables, _ in children if name == "StringFileInfo"
               for _, _, entries, _ in tables for key, value, _, _ in entries}
    words = struct.unpack_from("<6I", fixed)
    assert words[0] == 0xFEEF04BD, "VS_FIXEDFILEINFO signature"
    quad = [(words[i] >> 16, words[i] & 0xFFFF, words[i + 1] >> 16, words[i + 1] & 0xFFFF) for i in (2, 4)]
    return quad[0], quad[1], strings


def package_names(defines):
    version = defines["VERSION_TEXT"]
    return f"lumora-{version}-setup.exe", f"lumora-{version}-portable.zip"


def source_date_epoch():
    """Every time stamp in the packages: SOURCE_DATE_EPOCH when set, else the last commit's time,
    as cmake/reproducible.cmake takes it for lumora.exe, so that any clean build of a commit gives
    the same bytes."""
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        done = subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=SOURCE, capture_output=True, text=True)
        if done.returncode == 0 and done.stdout.strip().isdigit():
            return int(done.stdout)
    except OSError:
        pass
    return 1767225600  # no git (an unpacked source archive): the build's fixed 2026-01-01


def staged(path, data, epoch):
    """A file written for the installer with the given bytes and time: NSIS stores each packed
    file's modification time, and the installed copy gets it."""
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (epoch, epoch))
    return path


def windows_text(path):
    """A text file with CRLF line ends, as Notepad and the installer's licence page want it."""
    with open(path, encoding="utf-8") as f:
        return f.read().replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_zip(exe, out_path, epoch):
    # Fixed entries, order, attributes and time (the commit's, in UTC; a zip stores no time zone
    # and nothing before 1980), so that the same commit gives the same zip.
    date_time = time.gmtime(max(epoch, 315532800))[:6]
    temporary = out_path + ".new"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in (("lumora.exe", open(exe, "rb").read()),
                           ("README.txt", windows_text(os.path.join(SOURCE, "README.md"))),
                           ("LICENSE.txt", windows_text(os.path.join(SOURCE, "LICENSE")))):
            entry = zipfile.ZipInfo(name, date_time)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3
            entry.external_attr = 0o644 << 16
            archive.writestr(entry, data)
    os.replace(temporary, out_path)


def write_installer(exe, out_path, defines, staging, epoch):
    values = {
        "VERSION": defines["VERSION_TEXT"],
        "VERSION_QUAD": f"{defines['VERSION_MAJOR']}.{defines['VERSION_MINOR']}.0.0",
        "PRODUCT": defines["PRODUCT_NAME"],
        "PUBLISHER": defines["PUBLISHER"],
        "COPYRIGHT": defines["COPYRIGHT"],
        "LUMORA_EXE": staged(os.path.join(staging, "lumora.exe"), open(exe, "rb").read(), epoch),
        "LICENSE_FILE": staged(os.path.join(staging, "LICENSE.txt"),
                               windows_text(os.path.join(SOURCE, "LICENSE")), epoch),
        "ICON": os.path.join(SOURCE, "resources", "lumora.ico"),
        "OUTFILE": os.path.abspath(out_path),
    }
    # -WX: a warning in the script is an error, as in the program's own build.
    command = ["makensis", "-V2", "-WX"] + [f"-D{name}={value}" for name, value in values.items()]
    # The packed files' times (staged above) are the only ones makensis takes from this machine:
    # the PE header keeps its prebuilt stub's own link time, fixed for a given NSIS build.
    subprocess.run(command + [os.path.join(HERE, "lumora.nsi")], check=True, stdin=subprocess.DEVNULL)


WINGET_ID = "LumoraIndicator.LumoraIndicator"
WINGET_MANIFEST_VERSION = "1.10.0"
LICENCE = "MIT"
SUMMARY = "Hard-disk activity lamps on the desktop, in the tray and on the keyboard's ScrollLock LED"


def home_page():
    """The project's address, kept once for the options window's "Lumora on the Web"."""
    with open(os.path.join(SOURCE, "src", "options", "options_window.h"), encoding="utf-8") as f:
        return re.search(r'kHomePage\[\] = L"([^"]+)"', f.read()).group(1)


def release_url(defines, name):
    return f"{home_page()}/releases/download/v{defines['VERSION_TEXT']}/{name}"


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def yaml_lines(fields, indent=""):
    """A winget manifest's YAML: key: value lines, and lists of mappings as "- " items. Every value
    is written as JSON writes a string, which YAML reads the same, so that a version such as 1.104
    stays a string instead of becoming a number."""
    lines = []
    for key, value in fields.items():
        if isinstance(value, list):
            lines.append(f"{indent}{key}:")
            for item in value:
                first, *rest = yaml_lines(item, indent + "  ")
                lines += [indent + "- " + first.lstrip()] + rest
        else:
            lines.append(f"{indent}{key}: {json.dumps(value)}")
    return lines


def winget_manifests(defines, setup_path):
    """{file name: text} of the multi-file manifest: version, installer and default locale."""
    version = defines["VERSION_TEXT"]
    common = {"PackageIdentifier": WINGET_ID, "PackageVersion": version}
    kinds = {
        "version": ("", {**common, "DefaultLocale": "en-US"}),
        "installer": (".installer", {**common, "Installers": [{
            "Architecture": "x64", "InstallerType": "nullsoft", "Scope": "user",
            "InstallerUrl": release_url(defines, os.path.basename(setup_path)),
            "InstallerSha256": sha256(setup_path).upper()}]}),
        "defaultLocale": (".locale.en-US", {
            **common, "PackageLocale": "en-US", "Publisher": defines["PUBLISHER"],
            "PackageName": defines["PRODUCT_NAME"], "PackageUrl": home_page(), "License": LICENCE,
            "Copyright": defines["COPYRIGHT"], "ShortDescription": SUMMARY}),
    }
    # Each starts with the schema line that every manifest in winget's own repository has.
    schema = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.{}.{}.schema.json"
    tail = {"ManifestVersion": WINGET_MANIFEST_VERSION}
    return {f"{WINGET_ID}{suffix}.yaml": "\n".join([schema.format(kind, WINGET_MANIFEST_VERSION)]
                                                   + yaml_lines({**fields, "ManifestType": kind, **tail})) + "\n"
            for kind, (suffix, fields) in kinds.items()}


def scoop_manifest(defines, zip_path):
    return {
        "version": defines["VERSION_TEXT"],
        "description": SUMMARY,
        "homepage": home_page(),
        "license": LICENCE,
        "url": release_url(defines, os.path.basename(zip_path)),
        "hash": sha256(zip_path),
        "bin": "lumora.exe",
        "shortcuts": [["lumora.exe", defines["PRODUCT_NAME"]]],
    }


def write_text(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    return path


def winget_folder(out_folder, defines):
    """Where winget's own repository keeps this version's manifest, so that the folder under
    winget/ copies straight into a clone of it."""
    publisher, name = WINGET_ID.split(".")
    return os.path.join(out_folder, "winget", "manifests", publisher[0].lower(), publisher, name,
                        defines["VERSION_TEXT"])


def write_checksums_and_manifests(out_folder, defines):
    """SHA256SUMS and the two package managers' manifests, from the packages already in out_folder.
    Returns the paths written."""
    setup_name, zip_name = package_names(defines)
    setup, portable = (os.path.join(out_folder, name) for name in (setup_name, zip_name))
    # Two blanks between hash and name: the text mode that `sha256sum -c` reads.
    sums = "".join(f"{sha256(path)}  {os.path.basename(path)}\n" for path in (setup, portable))
    written = [write_text(os.path.join(out_folder, "SHA256SUMS"), sums)]
    folder = winget_folder(out_folder, defines)
    written += [write_text(os.path.join(folder, name), text) for name, text in winget_manifests(defines, setup).items()]
    written.append(write_text(os.path.join(out_folder, "scoop", "lumora.json"),
                              json.dumps(scoop_manifest(defines, portable), indent=4) + "\n"))
    return written


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    exe, out_folder = argv[1], argv[2]
    defines = version_defines()
    setup_name, zip_name = package_names(defines)
    os.makedirs(out_folder, exist_ok=True)
    epoch = source_date_epoch()
    with tempfile.TemporaryDirectory() as staging:
        write_installer(exe, os.path.join(out_folder, setup_name), defines, staging, epoch)
    write_zip(exe, os.path.join(out_folder, zip_name), epoch)
    for name in (setup_name, zip_name):
        print(os.path.join(out_folder, name))
    for path in write_checksums_and_manifests(out_folder, defines):
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
