#!/usr/bin/env bash
# Builds everything (Debug, AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs the whole test suite: offscreen tests directly, tests labelled x11
# on a private Xvfb without a window manager. Exits with ctest's status.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-test"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALEIDOR_SANITIZE=ON >/dev/null
cmake --build "$build"
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export XDG_RUNTIME_DIR=$(mktemp -d)
source "$root/scripts/xvfb.sh"
start_private_xvfb 1280x1024x24
cd "$build"
set +e
ctest --output-on-failure -j2 --timeout 300
status=$?
exit $status
