#!/usr/bin/env bash
# The main job: builds the module and runs its demonstration program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" normal containers_demo >/dev/null
exec "$root/build/examples/containers_demo" "$@"
