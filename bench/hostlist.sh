#!/usr/bin/env bash
# Host list rewrites: median time of StoreHostEntry and RemoveHostEntry on 1,000- and 10,000-line lists, and the part of it the cross-process lock takes.
# Runs on the disk that holds build/ (not a RAM disk), so the flush to disk is real.
# Usage: bash bench/hostlist.sh [repetitions]   (after `make native`)
#        BASELINE=<another build's kestrin_hostlist_bench> bash bench/hostlist.sh   also times that one, alternating, on the same disk
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BENCH="$ROOT/build/native/kestrin_hostlist_bench"
if [ ! -x "$BENCH" ]; then
  echo "missing $BENCH: run 'make native' first" >&2
  exit 1
fi
WORK="$ROOT/build/bench-scratch"
mkdir -p "$WORK"
echo "== host list file ($(df -T "$WORK" | awk 'NR==2 {print $2 " on " $1}'))"
"$BENCH" "$WORK" "${1:-31}"
if [ -n "${BASELINE:-}" ]; then
  echo "== the same with $BASELINE"
  "$BASELINE" "$WORK" "${1:-31}"
fi
# On a RAM disk the flush costs nothing, which leaves the one pass over the file: this one grows
# with the list's length.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  echo "== host list file (tmpfs /dev/shm: the pass alone, no real flush)"
  "$BENCH" /dev/shm "${1:-31}"
fi
