#!/usr/bin/env bash
# The main job: builds the module and runs its demonstration programs: the copy-on-write
# containers and subsets, then a model database of sets built, stored, reopened and read
# back through path texts.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" normal containers_demo model_demo >/dev/null
"$root/build/examples/containers_demo"
echo
exec "$root/build/examples/model_demo" "${1:-$root/build/model_demo.db}"
