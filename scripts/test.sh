#!/usr/bin/env bash
# Runs every test after `make all check fuzz`: native (sanitized) unit tests, fuzzers, and for each
# Windows build (win32 under wine32, win64 under wine64) the in-process Windows tests under Xvfb and
# the end-to-end scripts that run a Windows program. Ends with one "N passed, N failed" line.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
# The release program first: it is the one users get.
WINDOWS_BUILDS="${WINDOWS_BUILDS:-win32 win64}"
source "$ROOT/scripts/wine-env.sh"
FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
LOG_DIR="$ROOT/build/test-logs"
mkdir -p "$LOG_DIR"

passed=0 failed=0 skipped=0
failures=()

# Every step has a time limit, so one hung program fails its step instead of the whole run.
# timeout signals the step's whole process group; the wineserver has left it, so end ours too.
limited() {
  local seconds="$1"; shift
  timeout --kill-after=30 "$seconds" "$@" </dev/null
  local rc=$?
  [ $rc -eq 124 ] || [ $rc -eq 137 ] && echo "timed out after ${seconds}s: $*"
  return $rc
}
stop_wineserver() { "$WINESERVER" -k 2>/dev/null || true; }
trap stop_wineserver EXIT

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
  local log="$LOG_DIR/$(printf %s "$name" | tr -c "A-Za-z0-9._-" _).log"
  echo "== $name"
  limited "$STEP_SECONDS" "$@" >"$log" 2>&1
  local rc=$?
  stop_wineserver
  if [ $rc -eq 0 ]; then passed=$((passed + 1)); echo "   ok"
  elif [ $rc -eq 77 ]; then skipped=$((skipped + 1)); echo "   skipped: $(tail -1 "$log")"
  else
    failed=$((failed + 1)); failures+=("$name")
    # The failing check may lie far above the tail: name every failed line first.
    echo "   FAILED (exit $rc); its failed lines:"
    grep -aE 'FAILED|Failure|timed out|ERROR' "$log" | head -20 | sed 's/^/   ! /'
    echo "   last lines of $log:"
    tail -20 "$log" | sed 's/^/   | /'
  fi
}

echo "== native unit tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
(cd "$ROOT/build/check" && limited 1200 ./kestrin_tests --gtest_color=no) >"$LOG_DIR/native.log" 2>&1
count_gtest "$LOG_DIR/native.log" "native unit tests"
grep -aE '^\[  (PASSED|FAILED) ' "$LOG_DIR/native.log" | sed 's/^/   /'

for fuzzer in "$ROOT"/build/fuzz/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  corpus="$ROOT/build/fuzz/corpus/$(basename "$fuzzer")"
  mkdir -p "$corpus"
  STEP_SECONDS=$((FUZZ_SECONDS + 300)) run_check "fuzz/$(basename "$fuzzer") (${FUZZ_SECONDS}s)" \
    "$fuzzer" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=4096 -print_final_stats=1 "$corpus"
done

# A script that runs a Windows program sources wine-env.sh; it runs once per Windows build.
windows_scripts=() other_scripts=()
for script in "$ROOT"/tests/e2e/*.sh; do
  [ -f "$script" ] || continue
  if grep -q 'scripts/wine-env.sh' "$script"; then windows_scripts+=("$script"); else other_scripts+=("$script"); fi
done

for build in $WINDOWS_BUILDS; do
  # Our own prefix for each build, whatever the environment says: deleted and made afresh here.
  unset WINEPREFIX
  export WINEPREFIX="$ROOT/build/wineprefix-test-$build"
  export KESTRIN_WINBUILD="$build"
  source "$ROOT/scripts/wine-env.sh"
  # A wineserver still running on the old prefix would outlive its deletion and serve stale state.
  stop_wineserver
  rm -rf "$WINEPREFIX"
  label="$build, $WINE_NAME, Xvfb"
  echo "== Windows in-process tests ($label)"
  if ! why=$(limited 900 bash -c 'source "$1/scripts/wine-env.sh" && wine_build_runs_here' _ "$ROOT"); then
    # Not run is not passed: every section of this build counts as skipped, with the reason.
    why="${why##*$'\n'}"
    skipped=$((skipped + 1)); echo "   skipped: $why"
    for script in "${windows_scripts[@]}"; do
      echo "== e2e/$(basename "$script") ($label)"
      skipped=$((skipped + 1)); echo "   skipped: $why"
    done
    stop_wineserver
    continue
  fi
  scratch="$ROOT/build/wintest-scratch-$build"
  rm -rf "$scratch" && mkdir -p "$scratch"
  log="$LOG_DIR/wine-$build.log"
  (cd "$scratch" && limited 1800 xvfb-run -a -s "-screen 0 1024x768x24" \
     "$WINE" "$WINBUILD/kestrin_wintests.exe" --gtest_color=no) >"$log" 2>&1
  stop_wineserver
  count_gtest "$log" "Windows tests ($label)"
  grep -aE '^\[  (PASSED|FAILED) ' "$log" | sed 's/^/   /'

  for script in "${windows_scripts[@]}"; do
    STEP_SECONDS=1200 run_check "e2e/$(basename "$script") ($label)" bash "$script"
  done

  # The layout at display scaling: the tests named ...Dpi... once more at 96, 144 and 192 dpi, a
  # process each, since wine reads the prefix's LogPixels when a program starts. Last, as they
  # change the prefix: the dialogs' MS UI Gothic stood in for by Ume UI Gothic, as scripts/run.sh
  # does, so that the labels are measured in a font of its widths.
  "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'Ume UI Gothic' /f >/dev/null 2>&1
  for dpi in 96 144 192; do
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    stop_wineserver
    echo "== Windows in-process tests at $dpi dpi ($label)"
    log="$LOG_DIR/wine-$build-dpi$dpi.log"
    (cd "$scratch" && KESTRIN_DPI=$dpi limited 600 xvfb-run -a -s "-screen 0 1024x768x24" \
       "$WINE" "$WINBUILD/kestrin_wintests.exe" --gtest_filter='*Dpi*' --gtest_color=no) >"$log" 2>&1
    stop_wineserver
    count_gtest "$log" "Windows tests at $dpi dpi ($label)"
    grep -aE '^\[  (PASSED|FAILED) ' "$log" | sed 's/^/   /'
  done
done

for script in "${other_scripts[@]}"; do
  STEP_SECONDS=1800 run_check "e2e/$(basename "$script")" bash "$script"
done

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "Failed: ${failures[*]}"
  echo "Logs: $LOG_DIR"
fi
echo "kestrin: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
