# Sourced by the run and test commands: starts a private Xvfb on a free
# display number and exports DISPLAY. It is stopped when the shell exits:
# by a trap of its own, or, when the caller already has an EXIT trap, by
# that trap, which must call stop_private_xvfb.
start_private_xvfb() {
  local geometry=$1 n ready
  ready=$(mktemp)
  for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    # The server writes its display number once it listens: a server of
    # someone else's on that number (its lock file out of sight, as in a
    # chroot) is never taken for ours.
    Xvfb ":$n" -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 50); do
      if [[ -s $ready ]]; then
        rm -f "$ready"
        export DISPLAY=":$n"
        [[ -n "$(trap -p EXIT)" ]] || trap stop_private_xvfb EXIT
        return 0
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    stop_private_xvfb
  done
  rm -f "$ready"
  echo "Could not start Xvfb" >&2
  return 1
}

# Stops the private Xvfb (which removes its lock file) and waits for it. Never
# fails, so that it runs whole in a trap under set -e.
stop_private_xvfb() {
  [[ -n "${XVFB_PID:-}" ]] || return 0
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=
}
