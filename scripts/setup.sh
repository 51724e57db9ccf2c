#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing (as root, else via sudo).
#   scripts/setup.sh [fuzz]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libabsl-dev libsqlite3-dev libexodusii-dev libtsan2
          gmsh libgmsh-dev libcli11-dev nlohmann-json3-dev time
          pybind11-dev python3-dev python3-numpy python3-pytest python3-meshio)
# `setup.sh fuzz` adds what scripts/fuzz.sh needs: clang and its runtimes (libclang_rt.fuzzer,
# which clang only recommends).
if [ "${1:-}" = fuzz ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
