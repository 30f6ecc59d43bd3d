#!/usr/bin/env bash
# Installs what is missing, builds Korvex and starts it on the built-in simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)" --target korvex
exec build/default/bin/korvex --simulate "$@"
