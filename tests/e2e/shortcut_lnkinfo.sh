#!/usr/bin/env bash
# A shortcut made by the shortcut code under wine, read by an independent reader (lnkinfo) and by
# its header bytes: description, arguments and target as the host's texts say, normal window, no
# working directory and no icon.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/wine-env.sh"
TESTS="$WINBUILD/kestrin_wintests.exe"

command -v lnkinfo >/dev/null || { echo "lnkinfo is not installed (liblnk-utils)"; exit 77; }
[ -f "$TESTS" ] || { echo "$WINBUILD/kestrin_wintests.exe is not built (make $KESTRIN_WINBUILD)"; exit 77; }

work="$(mktemp -d "$ROOT/build/e2e-lnk.XXXXXX")"
trap 'rm -rf "$work"' EXIT
wine_prefix_ready

(cd "$work" && KESTRIN_LINK_DIR="Z:${work//\//\\}" xvfb-run -a -s "-screen 0 1024x768x24" \
   "$WINE" "$TESTS" --gtest_filter='DesktopShortcutForReader.*' --gtest_color=no) >"$work/run.log" 2>&1 \
  || { cat "$work/run.log"; echo "the test program failed"; exit 1; }
grep -q '^\[       OK \] DesktopShortcutForReader.LeavesAShortcut' "$work/run.log" \
  || { cat "$work/run.log"; echo "no shortcut was left"; exit 1; }

link="$work/Kestrin Web サーバー.lnk"
[ -f "$link" ] || { ls -la "$work"; echo "expected file: $link"; exit 1; }

info="$(lnkinfo -c windows-932 "$link")"
echo "$info" | sed -n '/^Link information/,/^$/p'
field() { echo "$info" | sed -n "s/^\t$1[[:space:]]*: //p"; }

fail=0
expect() {
  local name="$1" got="$2" want="$3"
  if [ "$got" != "$want" ]; then echo "FAIL $name: got '$got', want '$want'"; fail=1; else echo "ok   $name"; fi
}
expect "description" "$(field 'Description')" "Web サーバー を起動する"
expect "arguments" "$(field 'Command line arguments')" "-e 00a0b1c2d3e4 -m 127.0.0.1"
expect "target" "$(field 'Local path')" "Z:${ROOT//\//\\}\\build\\$KESTRIN_WINBUILD\\kestrin_wintests.exe"
expect "working directory" "$(field 'Working directory')" ""
expect "icon location" "$(field 'Icon location')" ""

# The header itself: link flags at 0x14 (no working directory 0x10, no icon location 0x40) and the
# show command at 0x3C (1, normal window).
read -r flags show < <(python3 - "$link" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
print(struct.unpack_from("<I", data, 0x14)[0], struct.unpack_from("<I", data, 0x3C)[0])
EOF
)
expect "no working directory flag" "$((flags & 0x10))" "0"
expect "no icon location flag" "$((flags & 0x40))" "0"
expect "arguments flag" "$((flags & 0x20))" "32"
expect "show command" "$show" "1"
exit $fail
