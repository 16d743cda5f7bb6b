#!/usr/bin/env bash
# Times the native command-line wake against Debian's wakeonlan, both sending to 127.0.0.1:4352,
# and prints the ratio of their mean wall times.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
KESTRIN="$ROOT/build/native/kestrin"
[ -x "$KESTRIN" ] || { echo "build it first: make native" >&2; exit 1; }
json="$(mktemp)"
trap 'rm -f "$json"' EXIT

hyperfine -N --warmup 5 --runs "${RUNS:-200}" --export-json "$json" \
  "$KESTRIN -e 00a0b1c2d3e4 -m 127.0.0.1" \
  "wakeonlan -i 127.0.0.1 -p 4352 00:a0:b1:c2:d3:e4"

python3 - "$json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
k, w = r[0]["mean"], r[1]["mean"]
print(f"kestrin  mean {k*1000:.3f} ms (median {r[0]['median']*1000:.3f} ms)")
print(f"wakeonlan mean {w*1000:.3f} ms (median {r[1]['median']*1000:.3f} ms)")
print(f"ratio kestrin/wakeonlan = {k/w:.3f} (target: at most 0.050, 1/20)")
PY
