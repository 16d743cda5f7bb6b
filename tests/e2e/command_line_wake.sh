#!/usr/bin/env bash
# The command-line wake end to end: native kestrin and Kestrin.exe under wine64 each deliver one
# 108-byte packet to 127.0.0.1:4352; the native program refuses other command lines with status 2.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/wine-env.sh"
LISTEN="python3 $ROOT/tests/e2e/udp_listen.py"

echo "native: -e 00a0b1c2d3e4 -m 127.0.0.1"
$LISTEN 00a0b1c2d3e4 1 -- "$ROOT/build/native/kestrin" -e 00a0b1c2d3e4 -m 127.0.0.1

echo "native: no arguments gives status 2 and sends nothing"
set +e
$LISTEN 00a0b1c2d3e4 0 -- "$ROOT/build/native/kestrin"
[ $? -eq 0 ] || { echo "a packet was sent"; exit 1; }
"$ROOT/build/native/kestrin" -e 00a0b1c2d3e4 2>/dev/null; rc=$?
set -e
[ $rc -eq 2 ] || { echo "expected status 2, got $rc"; exit 1; }

echo "wine64: Kestrin.exe -e 00a0b1c2d3e4 -m 127.0.0.1"
wine_prefix_ready
$LISTEN 00a0b1c2d3e4 1 -- xvfb-run -a "$WINE64" "$ROOT/build/win64/Kestrin.exe" -e 00a0b1c2d3e4 -m 127.0.0.1
