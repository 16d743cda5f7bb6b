#!/usr/bin/env bash
# Runs every test after `make all check fuzz`: native (sanitized) unit tests, fuzzers, Windows tests
# under wine64 and Xvfb, and the end-to-end scripts. Ends with one "N passed, N failed" line.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/wine-env.sh"
FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
LOG_DIR="$ROOT/build/test-logs"
mkdir -p "$LOG_DIR"

passed=0 failed=0 skipped=0
failures=()

# Adds a gtest program's own counts from its log.
count_gtest() {
  local log="$1" name="$2" ok bad
  ok=$(grep -aoP '^\[  PASSED  \] \K[0-9]+' "$log" | tail -1)
  bad=$(grep -aoP '^\[  FAILED  \] \K[0-9]+(?= tests?, listed)' "$log" | tail -1)
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
  if [ -z "$ok$bad" ]; then failed=$((failed + 1)); failures+=("$name (no result: crashed?)"); fi
  [ -n "$bad" ] && failures+=("$name")
}

# Runs one check (a script or a fuzzer): exit 0 passes, 77 skips, anything else fails.
run_check() {
  local name="$1"; shift
  local log="$LOG_DIR/${name//\//_}.log"
  echo "== $name"
  "$@" >"$log" 2>&1
  local rc=$?
  if [ $rc -eq 0 ]; then passed=$((passed + 1)); echo "   ok"
  elif [ $rc -eq 77 ]; then skipped=$((skipped + 1)); echo "   skipped: $(tail -1 "$log")"
  else failed=$((failed + 1)); failures+=("$name"); echo "   FAILED (exit $rc), last lines of $log:"; tail -20 "$log" | sed 's/^/   | /'
  fi
}

echo "== native unit tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
(cd "$ROOT/build/check" && ./kestrin_tests --gtest_color=no) >"$LOG_DIR/native.log" 2>&1
count_gtest "$LOG_DIR/native.log" "native unit tests"
grep -aE '^\[  (PASSED|FAILED) ' "$LOG_DIR/native.log" | sed 's/^/   /'

for fuzzer in "$ROOT"/build/fuzz/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  corpus="$ROOT/build/fuzz/corpus/$(basename "$fuzzer")"
  mkdir -p "$corpus"
  run_check "fuzz/$(basename "$fuzzer") (${FUZZ_SECONDS}s)" \
    "$fuzzer" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=4096 -print_final_stats=1 "$corpus"
done

echo "== wine prefix and Windows in-process tests (wine64, Xvfb)"
rm -rf "$WINEPREFIX"
wine_prefix_ready
scratch="$ROOT/build/wintest-scratch"
rm -rf "$scratch" && mkdir -p "$scratch"
(cd "$scratch" && xvfb-run -a -s "-screen 0 1024x768x24" \
   "$WINE64" "$ROOT/build/win64/kestrin_wintests.exe" --gtest_color=no) >"$LOG_DIR/wine.log" 2>&1
count_gtest "$LOG_DIR/wine.log" "Windows tests under wine64"
grep -aE '^\[  (PASSED|FAILED) ' "$LOG_DIR/wine.log" | sed 's/^/   /'

for script in "$ROOT"/tests/e2e/*.sh; do
  [ -f "$script" ] || continue
  run_check "e2e/$(basename "$script")" bash "$script"
done

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "Failed: ${failures[*]}"
  echo "Logs: $LOG_DIR"
fi
echo "kestrin: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
