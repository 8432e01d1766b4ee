#!/usr/bin/env python3
"""What comes out beside the packages, read as a user and the package managers read it:
check_manifests.py PACKAGE_FOLDER (make package's, or any other that make_package.py wrote)

SHA256SUMS passes `sha256sum -c` and names both packages; the winget and Scoop manifests are
valid under the published schemas (packaging/schemas), carry resources/version.h's version and
the SHA-256 of the package they point to; and CHANGELOG.md's newest section is that version."""
import glob
import hashlib
import json
import os
import re
import subprocess
import sys

import jsonschema
import yaml

SOURCE = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCHEMAS = os.path.join(SOURCE, "packaging", "schemas")
sys.path.insert(0, os.path.join(SOURCE, "packaging"))
import make_package  # noqa: E402  (found through the path above)


def check(folder):
    defines = make_package.version_defines()
    version, packages = defines["VERSION_TEXT"], make_package.package_names(defines)
    problems = []

    def against(schema, document, name):
        with open(os.path.join(SCHEMAS, schema), encoding="utf-8") as f:
            validator = jsonschema.Draft7Validator(json.load(f))
        problems.extend(f"{name}: {error.message}" for error in validator.iter_errors(document))
        if document.get("PackageVersion", document.get("version")) != version:
            problems.append(f"{name}: not version {version}")

    def points_to(package, url, digest, name):
        path = os.path.join(folder, package)
        real = hashlib.sha256(open(path, "rb").read()).hexdigest() if os.path.isfile(path) else None
        if not str(url).endswith(f"/releases/download/v{version}/{package}") or str(digest).lower() != real:
            problems.append(f"{name}: {url} with {digest} is not the {package} beside it")

    sums = subprocess.run(["sha256sum", "-c", "--strict", "SHA256SUMS"], cwd=folder, capture_output=True, text=True)
    listed = re.findall(r"^[0-9a-f]{64}  (.+)$", open(os.path.join(folder, "SHA256SUMS")).read(), re.M)
    if sums.returncode != 0 or sorted(listed) != sorted(packages):
        problems.append(f"SHA256SUMS: {sums.stdout}{sums.stderr}lists {listed}")

    winget = {}
    for path in glob.glob(os.path.join(folder, "winget", "manifests", "**", version, "*.yaml"), recursive=True):
        with open(path, encoding="utf-8") as f:
            document = yaml.safe_load(f)
        winget[document.get("ManifestType")] = document
        against(f"winget/manifest.{document.get('ManifestType')}.1.10.0.json", document, os.path.basename(path))
    if sorted(winget) != ["defaultLocale", "installer", "version"]:
        problems.append(f"winget: manifests of types {sorted(winget)}")
    for installer in winget.get("installer", {}).get("Installers", []):
        points_to(packages[0], installer.get("InstallerUrl"), installer.get("InstallerSha256"), "winget installer")

    with open(os.path.join(folder, "scoop", "lumora.json"), encoding="utf-8") as f:
        scoop = json.load(f)
    against("scoop/schema.json", scoop, "lumora.json")
    points_to(packages[1], scoop.get("url"), scoop.get("hash"), "lumora.json")

    with open(os.path.join(SOURCE, "CHANGELOG.md"), encoding="utf-8") as f:
        newest = re.search(r"^## \[([^\]]+)\]", f.read(), re.M)
    if not newest or newest.group(1) != version:
        problems.append(f"CHANGELOG.md: the newest section is not {version}")
    return problems


if __name__ == "__main__":
    found = check(sys.argv[1])
    print("\n".join(found) or "SHA256SUMS, manifests and changelog agree with the packages and version.h")
    sys.exit(1 if found else 0)
