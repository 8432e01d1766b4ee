#!/usr/bin/env bash
# Installs what building and testing lumora.exe needs on a Debian machine.
# Idempotent: when every package is present it changes nothing and asks no registry.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix   # cross compiler for lumora.exe and the Windows test tools
  binutils-mingw-w64-x86-64    # windres
  wine wine64                  # runs lumora.exe for the end-to-end tests and `make run`
  xvfb                         # a private display per test
  libx11-6 libxtst6            # the lamp tests hold keys and move the pointer through XTEST
  python3                      # the end-to-end harness; it also writes the portable zip
  python3-yaml python3-jsonschema  # the check of the winget and Scoop manifests against their schemas
  nsis                         # makensis, with the 64-bit stubs that `make package`'s installer needs
  cmake ninja-build g++ clang libclang-rt-14-dev  # native build; libFuzzer and the sanitizers
  libgtest-dev libgmock-dev libbenchmark-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
