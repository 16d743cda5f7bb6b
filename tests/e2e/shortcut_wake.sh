#!/usr/bin/env bash
# A desktop shortcut wakes its machine, end to end under wine and Xvfb: Kestrin.exe's Icon button
# makes the shortcut of a selected row (broadcast text 127.0.0.1), and the program started exactly
# as the shortcut's target and arguments say, and the shortcut opened through the shell, each
# deliver one magic packet to 127.0.0.1:4352.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
# No menu entries or Linux desktop files for the links this test makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
source "$ROOT/scripts/wine-env.sh"
EXE="$WINBUILD/Kestrin.exe"
DRIVER="$WINBUILD/kestrin_e2e_driver.exe"
LISTEN="python3 $ROOT/tests/e2e/udp_listen.py"
MAC=00a0b1c2d3e4

command -v lnkinfo >/dev/null || { echo "lnkinfo is not installed (liblnk-utils)"; exit 77; }
[ -f "$EXE" ] && [ -f "$DRIVER" ] || { echo "$WINBUILD is not built (make $KESTRIN_WINBUILD)"; exit 77; }

wine_prefix_ready
work="$(mktemp -d "$ROOT/build/e2e-wake.XXXXXX")"
alias="e2e wake $$"
link_name="Kestrin $alias.lnk"
shared_desktop="$WINEPREFIX/drive_c/users/Public/Desktop"
own_desktop="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
cleanup() {
  rm -rf "$work"
  rm -f "$shared_desktop/$link_name" "$own_desktop/$link_name"
}
trap cleanup EXIT
printf '%s,%s,127.0.0.1\n' "$MAC" "$alias" >"$work/MacList.txt"

# Drives the window through the test driver, which needs no keyboard focus: it selects the first
# row as Home does, presses Icon (1008) and closes the window as its close box does.
cat >"$work/drive.sh" <<'EOF'
set -u
cd "$1"
"$WINE" "$EXE" >/dev/null 2>&1 &
app=$!
# Up to two minutes for the window: a first start on a busy machine is slow.
"$WINE" "$DRIVER" wait-window 120000 || { kill "$app"; exit 1; }
"$WINE" "$DRIVER" select-first || { kill "$app"; exit 1; }
"$WINE" "$DRIVER" click 1008
for _ in $(seq 1 300); do
  [ -f "$2" ] || [ -f "$3" ] && break
  sleep 0.2
done
"$WINE" "$DRIVER" close 20000
for _ in $(seq 1 150); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
EOF
export WINE EXE DRIVER
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/drive.sh" "$work" \
  "$shared_desktop/$link_name" "$own_desktop/$link_name"

link="$shared_desktop/$link_name"
[ -f "$link" ] || link="$own_desktop/$link_name"
[ -f "$link" ] || { echo "no shortcut named '$link_name' on either desktop"; exit 1; }
echo "shortcut: $link"

info="$(lnkinfo -c windows-932 "$link")"
field() { echo "$info" | sed -n "s/^\t$1[[:space:]]*: //p"; }
target="$(field 'Local path')"
arguments="$(field 'Command line arguments')"
echo "target: $target"
echo "arguments: $arguments"
[ "$target" = "Z:${EXE//\//\\}" ] || { echo "the target is not the program that made it"; exit 1; }
[ "$arguments" = "-e $MAC -m 127.0.0.1" ] || { echo "unexpected arguments"; exit 1; }

echo "the target started with the shortcut's arguments"
# shellcheck disable=SC2086  # the arguments are split into words as the shell would
$LISTEN "$MAC" 1 -- xvfb-run -a "$WINE" "$target" $arguments

echo "the shortcut opened through the shell"
$LISTEN "$MAC" 1 -- xvfb-run -a "$WINE" start /wait /unix "$link"
