#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds and runs every test,
# then does the same in the AddressSanitizer + UndefinedBehaviorSanitizer build,
# and runs the tests of the threaded parts (the log thread, the sound library)
# under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/check-format.sh

jobs=$(nproc)
# Most of the suite's time is spent waiting: on the simulator's line speed, on
# timers and on other processes. Three tests a processor keep the processors
# busy; each test has its own folders, display and pseudo-terminal.
# KORVEX_TEST_JOBS sets another number.
test_jobs=${KORVEX_TEST_JOBS:-$((jobs * 3))}
cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$test_jobs"

if [ "${KORVEX_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake --preset asan
  cmake --build --preset asan -j "$jobs"
  ctest --preset asan -j "$test_jobs"
fi

if [ "${KORVEX_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake --preset tsan -DKORVEX_TEST_ONLY="log;sound"
  cmake --build --preset tsan -j "$jobs" --target tsan_tests
  ctest --preset tsan -j "$jobs"
fi
