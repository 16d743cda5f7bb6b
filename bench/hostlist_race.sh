#!/usr/bin/env bash
# Two processes adding hosts to one MacList.txt at once: how many adds they reported stored are missing afterwards, and whether the lines that were there before survived.
# Usage: bash bench/hostlist_race.sh [adds per process] [lines already in the list]   (after `make native`)
#        WINE=1 bash bench/hostlist_race.sh ...   the same with the Windows build under wine64 (after `make win64`)
#        WRITER=... / WRITER_EXE=...               another build's writer (native / Windows), to compare
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ADDS="${1:-150}"
PREFILL="${2:-1000}"
if [ "${WINE:-0}" = 1 ]; then
  source "$ROOT/scripts/wine-env.sh"
  wine_prefix_ready
  WRITER=("$WINE64" "${WRITER_EXE:-$ROOT/build/win64/kestrin_hostlist_writer.exe}")
  [ -f "${WRITER[1]}" ] || { echo "missing ${WRITER[1]}: run 'make win64' first" >&2; exit 1; }
else
  WRITER=("${WRITER:-$ROOT/build/native/kestrin_hostlist_writer}")
  [ -x "${WRITER[0]}" ] || { echo "missing ${WRITER[0]}: run 'make native' first" >&2; exit 1; }
fi
work="$(mktemp -d "$ROOT/build/hostlist-race-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
for ((i = 0; i < PREFILL; i++)); do printf '02%010X,kept %d,127.0.0.1\r\n' "$i" "$i"; done > MacList.txt

"${WRITER[@]}" add a "$ADDS" > a.out 2>/dev/null &
first=$!
"${WRITER[@]}" add b "$ADDS" > b.out 2>/dev/null &
second=$!
wait "$first" "$second"

ok() { awk '/^ok / {print $2}' "$1" | tr -d '\r'; }
present() { grep -c "^$1-" MacList.txt || true; }
lost=0
missing=0
for p in a b; do
  stored="$(ok "$p.out")"
  there="$(present "$p")"
  echo "process $p: $stored of $ADDS adds reported stored, $there in the list"
  lost=$((lost + (stored > there ? stored - there : 0)))
  missing=$((missing + ADDS - there))
done
kept="$(grep -c '^02[0-9A-F]*,kept ' MacList.txt || true)"
echo "missing: $missing of $((2 * ADDS)) adds not in the list; $lost of them reported stored; $((PREFILL - kept)) of $PREFILL earlier lines gone"
