#!/usr/bin/env bash
# Regenerates the golden old-layout model databases in tests/data/old/ (gzipped: the files are
# mostly empty 64 KiB pages). The upgrade tests read them; regenerate only when the old layouts
# or tests/support/OldModel.h change, and commit the result.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" normal make_old_databases >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$root/build/tools/golden/make_old_databases" "$work" >/dev/null
for f in "$work"/*.rdb; do
    gzip -9 -n -c "$f" > "$root/tests/data/old/$(basename "$f").gz"
    echo "tests/data/old/$(basename "$f").gz"
done
