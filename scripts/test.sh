#!/usr/bin/env bash
# Builds everything (Debug, AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs the whole test suite: offscreen tests directly, tests labelled x11
# on a private Xvfb without a window manager. Where clang is installed, the
# fuzz targets are also built as libFuzzer programs (build-fuzz) and run over
# their seeds. Exits with ctest's status, failed when the fuzz step failed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-test"
"$root/scripts/deps.sh" --tests
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALEIDOR_SANITIZE=ON >/dev/null
cmake --build "$build"
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fuzz_status=0
if command -v clang++ >/dev/null; then
  fuzz="$root/build-fuzz"
  cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DKALEIDOR_FUZZ=ON -DKALEIDOR_TESTS=OFF -DKALEIDOR_BENCH=OFF >/dev/null
  { cmake --build "$fuzz" --target fuzz_targets && (cd "$fuzz" && ctest --output-on-failure -L fuzz); } || fuzz_status=$?
fi
source "$root/scripts/xvfb.sh"
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
trap 'stop_private_xvfb; rm -rf "$runtime"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
start_private_xvfb 1280x1024x24
cd "$build"
set +e
ctest --output-on-failure -j2 --timeout 300
status=$?
((status == 0)) && status=$fuzz_status
exit $status
