#!/usr/bin/env bash
# Builds Калейдор (Release) and starts it. With no display at all it runs the
# program on a private Xvfb, saves a screenshot once the main window is up and
# keeps running until Ctrl-C.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALEIDOR_TESTS=OFF -DKALEIDOR_BENCH=OFF >/dev/null
cmake --build "$root/build" --target kaleidor
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$root/build/kaleidor"
fi
source "$root/scripts/xvfb.sh"
start_private_xvfb 1280x1024x24
echo "No display found: running on a private Xvfb at $DISPLAY"
# Without a desktop session there is no runtime folder; Qt wants one of its own (mode 0700).
own_runtime=
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
  own_runtime=$(mktemp -d)
  export XDG_RUNTIME_DIR=$own_runtime
fi
"$root/build/kaleidor" &
app=$!
trap 'kill $app 2>/dev/null; wait $app 2>/dev/null; kill $XVFB_PID 2>/dev/null; [[ -n $own_runtime ]] && rm -rf "$own_runtime"' EXIT INT TERM
for _ in $(seq 1 100); do
  xdotool search --onlyvisible --name "Калейдор ver" >/dev/null 2>&1 && break
  kill -0 $app 2>/dev/null || { echo "The program ended early" >&2; exit 1; }
  sleep 0.1
done
sleep 1
import -window root "$root/build/run-screenshot.png"
echo "The main window is up; a screenshot of the screen is in build/run-screenshot.png"
echo "Press Ctrl-C to stop."
wait $app
