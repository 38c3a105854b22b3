#!/usr/bin/env bash
# Builds Калейдор (Release) and starts it. With no display at all it runs the
# program on a private Xvfb, saves a screenshot once the main window is up and
# keeps running until Ctrl-C; then it stops the program and the Xvfb and
# removes the runtime folder it made.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALEIDOR_TESTS=OFF -DKALEIDOR_BENCH=OFF >/dev/null
cmake --build "$root/build" --target kaleidor
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$root/build/kaleidor"
fi
# How long a fresh, busy machine may take to show the main window.
window_deadline=${KALEIDOR_WINDOW_WAIT:-300}
screenshot="$root/build/run-screenshot.png"
source "$root/scripts/xvfb.sh"
app=
own_runtime=
cleanup() {
  set +e
  if [[ -n $app ]]; then
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
  fi
  stop_private_xvfb
  [[ -n $own_runtime ]] && rm -rf "$own_runtime"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
start_private_xvfb 1280x1024x24
echo "No display found: running on a private Xvfb at $DISPLAY"
# Without a desktop session there is no runtime folder; Qt wants one of its own (mode 0700).
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
  own_runtime=$(mktemp -d)
  export XDG_RUNTIME_DIR=$own_runtime
fi
"$root/build/kaleidor" &
app=$!
started=$SECONDS
until xdotool search --onlyvisible --name "^Калейдор ver" >/dev/null 2>&1; do
  if ! kill -0 "$app" 2>/dev/null; then
    wait "$app" && status=0 || status=$?
    app=
    echo "The program ended (status $status) before its main window appeared" >&2
    exit 1
  fi
  if ((SECONDS - started >= window_deadline)); then
    import -window root "$screenshot"
    echo "The main window did not appear within $window_deadline s; the screen as it is now is in" \
      "build/run-screenshot.png" >&2
    exit 1
  fi
  sleep 0.2
done
# Mapped is not yet painted: take the screen once the window shows more than black.
for _ in $(seq 1 30); do
  sleep 1
  import -window root "$screenshot"
  [[ $(convert "$screenshot" -format '%[fx:maxima]' info:) != 0 ]] && break
done
echo "The main window is up after $((SECONDS - started)) s; a screenshot of the screen is in build/run-screenshot.png"
echo "Press Ctrl-C to stop."
wait "$app"
