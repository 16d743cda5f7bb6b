#!/usr/bin/env bash
# The window with long lists: how long after its start a list of 10 and of 10,000 hosts is shown,
# 削除 of 500 of 1,000 rows against 削除 of one, and the longest time the window went without
# answering meanwhile. Kestrin.exe under wine and Xvfb, driven by the e2e driver, in a network
# namespace of its own with loopback alone: nothing of this reaches any network.
# Usage: bash bench/list_window.sh [runs]   (after `make win64`; KESTRIN_WINBUILD=win32 for the 32-bit build)
#        EXE=<another build's Kestrin.exe> bash bench/list_window.sh   times that program instead (named Kestrin.exe: its boxes take their title from it)
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SELF="$ROOT/bench/list_window.sh"
source "$ROOT/scripts/wine-env.sh"
DRIVER="$WINBUILD/kestrin_e2e_driver.exe"
EXE="${EXE:-$WINBUILD/Kestrin.exe}"
RUNS="${1:-5}"

# Writes n host lines to MacList.txt in the current folder.
host_list() {
  for ((i = 0; i < $1; i++)); do printf '02%010X,host %d,127.0.0.1\r\n' "$i" "$i"; done > MacList.txt
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# One figure of the driver's output: value of key.
figure() { tr -d '\r' | sed -n "s/^$1=//p"; }

# Starts the program on the list in the current folder; prints the milliseconds until it shows rows.
# Through a file: the program started inherits the driver's output and would hold a pipe open.
open_list() {
  "$WINE" "$DRIVER" open-list "Z:${EXE//\//\\}" "$1" 120000 >open.out
  figure shown_ms <open.out
}

if [ "${1:-}" = --inside ]; then
  RUNS="$2"
  cd "$3"
  wine_prefix_ready
  for rows in 10 10000; do
    host_list "$rows"
    shown=()
    open_list "$rows" >/dev/null; "$WINE" "$DRIVER" close 60000 >/dev/null  # a warm-up, untimed
    for ((r = 0; r < RUNS; r++)); do
      shown+=("$(open_list "$rows")")
      "$WINE" "$DRIVER" close 60000 >/dev/null
    done
    printf 'open %5d rows: shown after %s ms (median of %d: %s)\n' "$rows" \
      "$(printf '%s\n' "${shown[@]}" | median)" "$RUNS" "${shown[*]}"
  done
  for what in "500 0 2 500" "1 500 1 1"; do
    read -r count first step _ <<<"$what"
    deleted=() gaps=()
    for ((r = 0; r < RUNS; r++)); do
      host_list 1000
      open_list 1000 >/dev/null
      out="$("$WINE" "$DRIVER" delete "$first" "$step" "$count")"
      deleted+=("$(figure delete_ms <<<"$out")")
      gaps+=("$(figure max_unresponsive_ms <<<"$out")")
      lines="$(wc -l < MacList.txt)"
      [ "$lines" -eq $((1000 - count)) ] || echo "MacList.txt has $lines lines after deleting $count of 1000"
      "$WINE" "$DRIVER" close 60000 >/dev/null
    done
    printf 'delete %3d of 1000 rows: %s ms, longest gap %s ms (medians of %d; gaps %s)\n' "$count" \
      "$(printf '%s\n' "${deleted[@]}" | median)" "$(printf '%s\n' "${gaps[@]}" | median)" "$RUNS" "${gaps[*]}"
  done
  exit 0
fi

command -v xvfb-run >/dev/null || { echo "list window benchmark not run: xvfb-run missing"; exit 0; }
[ -f "$EXE" ] && [ -f "$DRIVER" ] || { echo "build it first: make $KESTRIN_WINBUILD" >&2; exit 1; }
if ! why=$(wine_build_runs_here); then echo "list window benchmark not run: $why"; exit 0; fi
work="$(mktemp -d "$ROOT/build/bench-list-XXXXXX")"
trap 'rm -rf "$work"' EXIT
echo "== the window with long lists ($KESTRIN_WINBUILD under $WINE_NAME: $EXE)"
# No network inside, where this machine lets us make a namespace; loopback is not even up.
isolate=()
if unshare -n true 2>/dev/null; then isolate=(unshare -n); fi
"${isolate[@]}" xvfb-run -a -s "-screen 0 1024x768x24" bash "$SELF" --inside "$RUNS" "$work"
