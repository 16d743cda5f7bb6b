#!/usr/bin/env bash
# The subnet sweep end to end: Kestrin.exe under wine and Xvfb in a namespace "LAN" bridged to six peer
# namespaces of 198.51.100.0/24 (one drops echo, one rejects it with host-unreachable, one has no name),
# with a gateway on that LAN and an adapter without one listed first. Checks the list and MacList.txt
# after a full sweep and after closing the window mid-sweep, that an echo answered by an error counts as
# none, and prints the sweep's duration, its ratio to the floor and the window's longest unresponsive
# spell. Nothing is ever probed outside the namespaces this script makes.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
SELF="$ROOT/tests/e2e/sweep_netns.sh"
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/tests/e2e/lib/test_lan.sh"
DRIVER="$WINBUILD/kestrin_e2e_driver.exe"
KESTRIN="$WINBUILD/Kestrin.exe"
WORK="$ROOT/build/e2e-sweep"
LAN_ADDRESS=198.51.100.10
LAN_GATEWAY=2
# First in the adapter list, with an address but no gateway: the sweep must pass it by.
LAN_SIDE_ADDRESS=203.0.113.10
# Past the first look-up of found hosts (after host 64, some 6.5 s in), so the close meets stores.
CLOSE_AFTER_MS=8000
LAN_PREFIX=kst LAN_LINK=k

# Peers: host number, hardware address, name ("-": none), echo (1 answers, 0 ignores, u rejects
# with host-unreachable). Every other number, .30 say, is an address with no host.
PEERS=(
  "2   02:5a:00:00:00:02 alpha-host   1"
  "5   02:5a:00:00:00:05 -            1"
  "7   02:5a:00:00:00:07 dropper      0"
  "9   02:5a:00:00:00:09 rejecter     u"
  "20  02:5a:00:00:00:14 beta.example 1"
  "200 02:5a:00:00:00:c8 gamma        1"
)
REJECTING_PEER=198.51.100.9
# What the sweep must store, in host-number order: the peers that ignore or reject echo come
# through the neighbour table; no address without a host, nothing of 203.0.113.0/24.
EXPECTED=(
  "025A00000002,alpha-host,198.51.100.255"
  "025A00000005,,198.51.100.255"
  "025A00000007,dropper,198.51.100.255"
  "025A00000009,rejecter,198.51.100.255"
  "025A00000014,beta.example,198.51.100.255"
  "025A000000C8,gamma,198.51.100.255"
)
# Addresses whose echo waits out its 100 ms: all 253 probed but those that answer or reject it.
SILENT=$((253 - $(printf '%s\n' "${PEERS[@]}" | awk '$4 != "0"' | wc -l)))

skip() { echo "$1"; exit 77; }
fail() { echo "FAILED: $1"; exit 1; }

# --- Inside the LAN namespace, under xvfb-run: one run of Kestrin.exe driven by the driver. ---
if [ "${1:-}" = "--inside" ]; then
  scratch="$2" mode="$3"
  # Refuse to run anywhere but the namespace made below.
  lan_inside || fail "not inside the test namespace ($(ip -4 -o addr show | awk '{print $4}' | tr '\n' ' '))"
  wine_prefix_ready
  cd "$scratch"
  if [ "$mode" = ping ]; then
    KESTRIN_REJECTING_PEER="$REJECTING_PEER" "$WINE" "$WINBUILD/kestrin_wintests.exe" \
      --gtest_filter='PingSocketInTestLan.*' --gtest_color=no 2>&1 | tr -d '\r' >tests.log
    exit "${PIPESTATUS[0]}"
  fi
  "$WINE" "$KESTRIN" >kestrin.out 2>&1 &
  kestrin=$!
  "$WINE" "$DRIVER" wait-window 120000 || { kill "$kestrin"; fail "the window did not appear"; }
  if [ "$mode" = full ]; then
    "$WINE" "$DRIVER" sweep | tr -d '\r' | tee driver.log
    driver_rc=${PIPESTATUS[0]}
    "$WINE" "$DRIVER" close 20000 | tr -d '\r' >>driver.log
  else
    "$WINE" "$DRIVER" sweep --close-after "$CLOSE_AFTER_MS" | tr -d '\r' | tee driver.log
    driver_rc=${PIPESTATUS[0]}
  fi
  # The program must end by itself once its window is gone.
  for _ in $(seq 1 200); do kill -0 "$kestrin" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$kestrin" 2>/dev/null; then kill "$kestrin"; fail "Kestrin.exe still running 20 s after its window closed"; fi
  wait "$kestrin"
  echo "kestrin_exit=$?" >>driver.log
  exit "$driver_rc"
fi

# --- Outside: preconditions, the namespaces, two runs, the checks. ---
[ "$(id -u)" -eq 0 ] || skip "network namespaces need root: sweep end-to-end test not run"
command -v xvfb-run >/dev/null || skip "xvfb-run missing: sweep end-to-end test not run"
[ -f "$KESTRIN" ] && [ -f "$DRIVER" ] && [ -f "$WINBUILD/kestrin_wintests.exe" ] \
  || fail "build first: make $KESTRIN_WINBUILD ($KESTRIN, $DRIVER, kestrin_wintests.exe)"

export WINEPREFIX="$WORK/wineprefix-$KESTRIN_WINBUILD"
trap lan_cleanup EXIT
# A time limit ends us with a signal: leave through the exit trap, so no namespace outlives the run.
trap 'exit 143' TERM INT HUP

# A wineserver left from an interrupted run would carry its old namespace: end it first.
/usr/lib/wine/wineserver -k 2>/dev/null

lan_start
case $? in
  0) LAN="$LAN_NS" ;;
  1) skip "$LAN_WHY: sweep end-to-end test not run" ;;
  *) fail "$LAN_WHY" ;;
esac

# Runs Kestrin once in the LAN namespace; $1 = full | close, or ping for the in-process echo test.
run_in_lan() {
  local scratch="$WORK/$1"
  rm -rf "$scratch" && mkdir -p "$scratch"
  ip netns exec "$LAN" xvfb-run -a -s "-screen 0 1024x768x24" bash "$SELF" --inside "$scratch" "$1"
}

# Every line of MacList.txt ($1) as a list without carriage returns.
file_lines() { [ -f "$1" ] && tr -d '\r' <"$1"; }

status=0
echo "== echo to $REJECTING_PEER, which rejects it with host-unreachable"
run_in_lan ping
if [ $? -eq 0 ] && grep -q '^\[  PASSED  \] 1 test' "$WORK/ping/tests.log" && ! grep -q SKIPPED "$WORK/ping/tests.log"; then
  echo "ok: Ping returns 0 for an error reply"
else echo "FAILED: the in-process echo test:"; sed 's/^/   | /' "$WORK/ping/tests.log"; status=1; fi

echo "== full sweep of 198.51.100.0/24 from $LAN_ADDRESS (adapter $LAN_SIDE_ADDRESS listed first)"
run_in_lan full || { echo "FAILED: the full run"; status=1; }
log="$WORK/full/driver.log"
expected=$(printf '%s\n' "${EXPECTED[@]}")
actual=$(file_lines "$WORK/full/MacList.txt")
if [ "$actual" = "$expected" ]; then echo "ok: MacList.txt holds exactly the peers of the gateway's /24, in order"
else echo "FAILED: MacList.txt:"; echo "$actual" | sed 's/^/   | /'; echo "expected:"; echo "$expected" | sed 's/^/   | /'; status=1; fi
grep -q "^items=${#EXPECTED[@]}$" "$log" && echo "ok: the list shows ${#EXPECTED[@]} items" \
  || { echo "FAILED: list item count ($(grep '^items=' "$log"))"; status=1; }
grep -q '^kestrin_exit=0$' "$log" || { echo "FAILED: Kestrin.exe exit ($(grep kestrin_exit "$log"))"; status=1; }
sweep_seconds=$(grep -oP '^sweep_seconds=\K.*' "$log")
full_unresponsive=$(grep -oP '^max_unresponsive_ms=\K.*' "$log")

echo "== window closed ${CLOSE_AFTER_MS} ms into a sweep"
run_in_lan close || { echo "FAILED: the close run"; status=1; }
log="$WORK/close/driver.log"
grep -q '^kestrin_exit=0$' "$log" && echo "ok: Kestrin.exe ended cleanly" \
  || { echo "FAILED: Kestrin.exe exit ($(grep kestrin_exit "$log"))"; status=1; }
if grep -qiE 'unhandled|exception|page fault' "$WORK/close/kestrin.out"; then
  echo "FAILED: Kestrin.exe crashed:"; sed 's/^/   | /' "$WORK/close/kestrin.out"; status=1
fi
# The file must be a consistent start of the full result: whole lines, in order, nothing half written.
mapfile -t partial < <(file_lines "$WORK/close/MacList.txt")
consistent=1
for i in "${!partial[@]}"; do [ "${partial[$i]}" = "${EXPECTED[$i]:-}" ] || consistent=0; done
[ -e "$WORK/close/MacTemp.txt" ] && consistent=0
if [ $consistent = 1 ]; then echo "ok: MacList.txt consistent (${#partial[@]} hosts stored before the close)"
else echo "FAILED: MacList.txt after the close:"; printf '   | %s\n' "${partial[@]}"; status=1; fi
close_ms=$(grep -oP '^close_ms=\K.*' "$log")

echo
echo "figures (command: bash tests/e2e/sweep_netns.sh):"
echo "  full sweep of the /24 ($SILENT silent addresses): ${sweep_seconds:-?} s"
ratio=$(awk -v s="${sweep_seconds:-0}" -v n="$SILENT" 'BEGIN { printf "%.3f", s / (n * 0.1) }')
echo "  sweep / floor ($SILENT x 100 ms): ${ratio}   (target <= 1.05)"
echo "  longest the window went without handling messages: ${full_unresponsive:-?} ms   (target < 50 ms)"
echo "  close during a sweep until the window was gone: ${close_ms:-?} ms"
[ $status -eq 0 ] && echo "sweep end to end: passed" || echo "sweep end to end: FAILED"
exit $status
