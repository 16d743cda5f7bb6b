#!/usr/bin/env bash
# Times the native command-line wake against the least a wake can do (bench/wake_minimal.c: a
# static C program that opens a datagram socket, sets broadcast and sends 108 bytes), both sending
# to 127.0.0.1:4352, and prints the ratio of their wall times. The two are timed in alternating
# short rounds, so that a load that comes and goes on the machine weighs on both alike; the figure
# is the median over the rounds of the ratio of their medians.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
KESTRIN="$ROOT/build/native/kestrin"
MINIMAL="$ROOT/build/native/kestrin_wake_minimal"
[ -x "$KESTRIN" ] && [ -x "$MINIMAL" ] || { echo "build it first: make native" >&2; exit 1; }
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

rounds="${ROUNDS:-15}"
for ((round = 0; round < rounds; ++round)); do
  hyperfine -N --style none --warmup 10 --runs "${RUNS:-100}" --export-json "$dir/$round.json" \
    "$KESTRIN -e 00a0b1c2d3e4 -m 127.0.0.1" "$MINIMAL" >/dev/null
done

python3 - "$dir" "$rounds" <<'PY'
import json, statistics, sys
rounds = [json.load(open(f"{sys.argv[1]}/{i}.json"))["results"] for i in range(int(sys.argv[2]))]
k = [r[0]["median"] for r in rounds]
m = [r[1]["median"] for r in rounds]
ratio = statistics.median(a / b for a, b in zip(k, m))
print(f"kestrin  median {statistics.median(k)*1000:.3f} ms over {len(rounds)} rounds")
print(f"minimal  median {statistics.median(m)*1000:.3f} ms")
print(f"ratio kestrin/minimal = {ratio:.3f} (median of the rounds; target: at most 1.100)")
PY
