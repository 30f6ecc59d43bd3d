#!/usr/bin/env bash
# Fails when a C++ file of ours differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build' || true)
[ ${#files[@]} -eq 0 ] && exit 0
bad=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! clang-format --style=file "$f" | cmp -s - "$f"; then
    echo "not formatted: $f (run: clang-format -i $f)" >&2
    bad=1
  fi
done
exit $bad
