#!/usr/bin/env bash
# Installs the missing Debian packages of scripts/debian-packages.txt, and
# with --tests also those of scripts/debian-packages-test.txt. As root it
# runs apt-get; otherwise it prints the one line to run.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
lists=("$here/debian-packages.txt")
[[ "${1:-}" == "--tests" ]] && lists+=("$here/debian-packages-test.txt")
mapfile -t wanted < <(cat "${lists[@]}" | grep -v -E '^\s*(#|$)')
missing=()
for p in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
if [[ $(id -u) -eq 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "Missing Debian packages. Run this once, then try again:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
