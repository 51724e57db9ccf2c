#!/usr/bin/env bash
# The main job: builds the rgn tool, runs its demonstration (a model database built, stored,
# reopened and read through path texts), then meshes examples/bracket.geo with the gmsh binary
# and imports the mesh's physical groups as sets.
#   scripts/run.sh [folder]      (files go to build/run unless a folder is given)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" normal rgn >/dev/null
rgn="$root/build/tools/rgn/rgn"
out="${1:-$root/build/run}"
mkdir -p "$out"

echo "== rgn demo =="
"$rgn" demo "$out/demo.db"

echo
echo "== gmsh examples/bracket.geo, then rgn import =="
gmsh "$root/examples/bracket.geo" -2 -format msh41 -o "$out/bracket.msh" >"$out/gmsh.log" 2>&1 ||
    { cat "$out/gmsh.log" >&2; exit 1; }
"$rgn" import "$out/bracket.msh" "$out/bracket.db" --force
"$rgn" ls "$out/bracket.db"
