#!/usr/bin/env bash
# The subnet sweep end to end: Kestrin.exe under wine and Xvfb in a namespace "LAN" bridged to five peer
# namespaces of 198.51.100.0/24 (one drops echo, one has no name). Checks the list and MacList.txt after a
# full sweep and after closing the window mid-sweep, and prints the sweep's duration and the window's
# longest unresponsive spell. Nothing is ever probed outside the namespaces this script makes.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
SELF="$ROOT/tests/e2e/sweep_netns.sh"
source "$ROOT/scripts/wine-env.sh"
DRIVER="$WINBUILD/kestrin_e2e_driver.exe"
KESTRIN="$WINBUILD/Kestrin.exe"
WORK="$ROOT/build/e2e-sweep"
LAN_ADDRESS=198.51.100.10
CLOSE_AFTER_MS=1500

# Peers: host number, hardware address, name ("-": none), answers echo (1/0).
PEERS=(
  "2   02:5a:00:00:00:02 alpha-host   1"
  "5   02:5a:00:00:00:05 -            1"
  "7   02:5a:00:00:00:07 dropper      0"
  "20  02:5a:00:00:00:14 beta.example 1"
  "200 02:5a:00:00:00:c8 gamma        1"
)
# What the sweep must store, in host-number order.
EXPECTED=(
  "025A00000002,alpha-host,198.51.100.255"
  "025A00000005,,198.51.100.255"
  "025A00000014,beta.example,198.51.100.255"
  "025A000000C8,gamma,198.51.100.255"
)

skip() { echo "$1"; exit 77; }
fail() { echo "FAILED: $1"; exit 1; }

# --- Inside the LAN namespace, under xvfb-run: one run of Kestrin.exe driven by the driver. ---
if [ "${1:-}" = "--inside" ]; then
  scratch="$2" mode="$3"
  # Refuse to run anywhere but the namespace made below: lo and the one test address only.
  addresses=$(ip -4 -o addr show | awk '{print $4}' | sort | tr '\n' ' ')
  [ "$addresses" = "127.0.0.1/8 $LAN_ADDRESS/24 " ] || fail "not inside the test namespace ($addresses)"
  wine_prefix_ready
  cd "$scratch"
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
command -v ip >/dev/null || skip "iproute2 (ip) missing: sweep end-to-end test not run"
command -v xvfb-run >/dev/null || skip "xvfb-run missing: sweep end-to-end test not run"
[ -f "$KESTRIN" ] && [ -f "$DRIVER" ] || fail "build first: make $KESTRIN_WINBUILD ($KESTRIN, $DRIVER)"

ID=$$
SW="kst-sw-$ID" LAN="kst-lan-$ID"
NAMESPACES=()
export WINEPREFIX="$WORK/wineprefix-$KESTRIN_WINBUILD"

cleanup() {
  for ns in "${NAMESPACES[@]}"; do
    pids=$(ip netns pids "$ns" 2>/dev/null)
    [ -n "$pids" ] && kill $pids 2>/dev/null
  done
  /usr/lib/wine/wineserver -k 2>/dev/null
  for ns in "${NAMESPACES[@]}"; do ip netns del "$ns" 2>/dev/null; done
  rm -rf "/etc/netns/$LAN"
}
trap cleanup EXIT
# A time limit ends us with a signal: leave through the exit trap, so no namespace outlives the run.
trap 'exit 143' TERM INT HUP

new_namespace() {
  ip netns add "$1" || return 1
  NAMESPACES+=("$1")
  ip -n "$1" link set lo up
}

# A wineserver left from an interrupted run would carry its old namespace: end it first.
/usr/lib/wine/wineserver -k 2>/dev/null

# The peers' names are laid over /etc/hosts inside the namespace, which needs that file to exist
# (a bare chroot may have none); without it the names could not be checked.
[ -f /etc/hosts ] || skip "no /etc/hosts to lay the test's names over: sweep end-to-end test not run"
new_namespace "$SW" || skip "cannot create network namespaces here: sweep end-to-end test not run"
new_namespace "$LAN" || skip "cannot create network namespaces here: sweep end-to-end test not run"
ip -n "$SW" link add br0 type bridge 2>/dev/null || skip "no bridge devices in network namespaces here: sweep end-to-end test not run"
ip link add "kt-$ID" type veth peer name "kt2-$ID" 2>/dev/null || skip "no veth devices here: sweep end-to-end test not run"
ip link del "kt-$ID"
set -e
ip -n "$SW" link set br0 up
# Joins namespace $1 to the bridge through a veth whose bridge end is $2; the inside end is eth0.
join_bridge() {
  ip link add "$2" type veth peer name eth0 netns "$1"
  ip link set "$2" netns "$SW"
  ip -n "$SW" link set "$2" master br0 up
}
join_bridge "$LAN" "kl-$ID"
ip -n "$LAN" link set eth0 address 02:5a:00:00:00:0a
ip -n "$LAN" addr add "$LAN_ADDRESS/24" dev eth0
ip -n "$LAN" link set eth0 up

mkdir -p "/etc/netns/$LAN"
{
  echo "127.0.0.1 localhost"
  for peer in "${PEERS[@]}"; do
    read -r n mac name echo <<<"$peer"
    [ "$name" = "-" ] || echo "198.51.100.$n $name"
  done
} >"/etc/netns/$LAN/hosts"
# Names come from the hosts file alone: no resolver is asked.
echo "hosts: files" >"/etc/netns/$LAN/nsswitch.conf"
: >"/etc/netns/$LAN/resolv.conf"

for peer in "${PEERS[@]}"; do
  read -r n mac name echo <<<"$peer"
  ns="kst-p$n-$ID"
  new_namespace "$ns"
  join_bridge "$ns" "kp$n-$ID"
  ip -n "$ns" link set eth0 address "$mac"
  ip -n "$ns" addr add "198.51.100.$n/24" dev eth0
  ip -n "$ns" link set eth0 up
  # The namespace's own setting: this peer is there (ARP answers) but ignores every echo.
  [ "$echo" = 1 ] || ip netns exec "$ns" sh -c 'echo 1 >/proc/sys/net/ipv4/icmp_echo_ignore_all'
done
set +e

# Runs Kestrin once in the LAN namespace; $1 = full | close.
run_in_lan() {
  local scratch="$WORK/$1"
  rm -rf "$scratch" && mkdir -p "$scratch"
  ip netns exec "$LAN" xvfb-run -a -s "-screen 0 1024x768x24" bash "$SELF" --inside "$scratch" "$1"
}

# Every line of MacList.txt ($1) as a list without carriage returns.
file_lines() { [ -f "$1" ] && tr -d '\r' <"$1"; }

status=0
echo "== full sweep of 198.51.100.0/24 from $LAN_ADDRESS"
run_in_lan full || { echo "FAILED: the full run"; status=1; }
log="$WORK/full/driver.log"
expected=$(printf '%s\n' "${EXPECTED[@]}")
actual=$(file_lines "$WORK/full/MacList.txt")
if [ "$actual" = "$expected" ]; then echo "ok: MacList.txt holds exactly the answering peers, in order"
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
echo "  full sweep of the /24 (250 silent hosts): ${sweep_seconds:-?} s   (target <= 26 s)"
echo "  longest the window went without handling messages: ${full_unresponsive:-?} ms   (target < 50 ms)"
echo "  close during a sweep until the window was gone: ${close_ms:-?} ms"
[ $status -eq 0 ] && echo "sweep end to end: passed" || echo "sweep end to end: FAILED"
exit $status
