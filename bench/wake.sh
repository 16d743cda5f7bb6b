#!/usr/bin/env bash
# Times the native command-line wake against the least a wake can do (bench/wake_minimal.c: a
# static C program that opens a datagram socket, sets broadcast and sends 108 bytes), both sending
# to 127.0.0.1:4352, and prints the ratio of their mean wall times (and of the medians, steadier on
# a busy machine).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
KESTRIN="$ROOT/build/native/kestrin"
MINIMAL="$ROOT/build/native/kestrin_wake_minimal"
[ -x "$KESTRIN" ] && [ -x "$MINIMAL" ] || { echo "build it first: make native" >&2; exit 1; }
json="$(mktemp)"
trap 'rm -f "$json"' EXIT

hyperfine -N --warmup 20 --runs "${RUNS:-500}" --export-json "$json" \
  "$KESTRIN -e 00a0b1c2d3e4 -m 127.0.0.1" \
  "$MINIMAL"

python3 - "$json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
k, m = r[0]["mean"], r[1]["mean"]
print(f"kestrin  mean {k*1000:.3f} ms (median {r[0]['median']*1000:.3f} ms)")
print(f"minimal  mean {m*1000:.3f} ms (median {r[1]['median']*1000:.3f} ms)")
print(f"ratio kestrin/minimal = {k/m:.3f} (target: at most 1.100); of the medians {r[0]['median']/r[1]['median']:.3f}")
PY
