#!/usr/bin/env bash
# Makes the guides' pictures of Kestrin.exe (the x86_64 build under wine64) on a virtual screen:
#   docs/main-window.png  the main window with a sample list, the second host clicked
#   docs/about.png        the About box, opened through the system menu's About item
#   docs/sweep.png        自動取得 half-way, the list filling; in a test LAN of network namespaces
#                         (tests/e2e/lib/test_lan.sh), never on the real network
# Needs root: every picture is taken inside a network namespace. The main window's list shows the
# LAN broadcast addresses users type (192.168.10.255); its namespace has no link but loopback, and
# nothing there presses 起動 or double-clicks a row, so whatever the list says, nothing is sent.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SELF="$ROOT/scripts/screenshot.sh"
# A prefix of its own: the look settings below are for the pictures, not for the tests.
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix-screenshot}"
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/tests/e2e/lib/test_lan.sh"
DOCS="${SCREENSHOT_DIR:-$ROOT/docs}"
EXE="$ROOT/build/win64/Kestrin.exe"
DRIVER="$ROOT/build/win64/kestrin_e2e_driver.exe"
SCRATCH="$ROOT/build/screenshot-scratch"
# The dialogs ask for MS UI Gothic, which wine does not have. Of Debian's Japanese Gothics this
# one comes closest to its measures: every label of the window fits its box, as on Windows
# (scripts/dialog-font-fit.sh prints the table).
DIALOG_FONT="Ume UI Gothic"

# The sweep picture's test LAN: Kestrin at .10, and the hosts it finds (name "-": none).
LAN_PREFIX=kss LAN_LINK=s LAN_ADDRESS=198.51.100.10
PEERS=(
  "2   00:11:32:4a:6b:02 nas-01      1"
  "5   00:80:92:3c:15:05 printer-2f  1"
  "12  00:e0:4c:68:01:0c pc-tanaka   1"
  "23  f4:4d:30:aa:10:17 pc-suzuki   1"
  "41  00:1f:16:2b:7c:29 -           1"
  "87  b8:27:eb:5d:42:57 raspberrypi 1"
  "160 00:15:5d:01:a0:a0 pc-sato     1"
)
SWEEP_SHOT_AT=50  # bar position when the picture is taken: host 127 is being probed

[ -f "$EXE" ] && [ -f "$DRIVER" ] || { echo "build the program first: make win64" >&2; exit 1; }

# Starts Kestrin.exe in the scratch folder $1 and waits for its window.
start_kestrin() {
  (cd "$1" && exec "$WINE64" "$EXE") >/dev/null 2>&1 &
  kestrin=$!
  trap 'kill "$kestrin" 2>/dev/null || true; wait "$kestrin" 2>/dev/null || true' EXIT
  "$WINE64" "$DRIVER" wait-window 120000 >/dev/null || { echo "no Kestrin window appeared" >&2; exit 1; }
  window=$(xdotool search --onlyvisible --name '^Kestrin$' | head -1)
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
}

shoot() {  # file, width, height, x, y
  import -window root -crop "$2x$3+$4+$5" +repage -strip -colors 256 "png8:$1"
  echo "wrote ${1#"$ROOT"/} ($2x$3)"
}

# True inside a network namespace whose only link is loopback: nothing sent there leaves it.
no_link_out() {
  [ "$(ip -o link show | awk -F': ' '$2 != "lo"' | wc -l)" -eq 0 ]
}

case "${1:-}" in
--main)  # inside the namespace without links and the virtual screen
  no_link_out || { echo "not inside a namespace without links: no picture of these addresses here" >&2; exit 1; }
  dir="$SCRATCH/main"
  rm -rf "$dir" && mkdir -p "$dir"
  # Texts as a real list holds them; they are only shown (see above).
  printf '%s\r\n' \
    "00a0b1c2d3e4,Web サーバー,192.168.10.255" \
    "001122334455,経理部のノートPC,192.168.10.255" \
    "0800275e1a2b,ファイルサーバー（本社）,192.168.20.255" \
    "001a2b3c4d5e,build-host,192.168.10.255" |
    iconv -f utf-8 -t cp932 >"$dir/MacList.txt"
  start_kestrin "$dir"
  # Click the second host: the edits take its texts and the list shows the row selected. The
  # list starts 61 of the client area's 209 dialog units down, below a caption of about 18
  # pixels; its header is about 20 pixels high and each row about 15.
  caption=18
  xdotool mousemove "$((X + 60))" "$((Y + caption + (HEIGHT - caption) * 61 / 209 + 20 + 15 + 7))" click 1
  xdotool mousemove 0 0
  sleep 1.5
  shoot "$DOCS/main-window.png" "$WIDTH" "$HEIGHT" "$X" "$Y"

  read -r ax ay aw ah < <("$WINE64" "$DRIVER" about 20000 | tr -d '\r' | sed -n 's/^about_rect=//p')
  [ -n "${ah:-}" ] || { echo "the About box did not open" >&2; exit 1; }
  sleep 1
  shoot "$DOCS/about.png" "$aw" "$ah" "$ax" "$ay"
  exit 0 ;;
--sweep)  # inside the test LAN's namespace and the virtual screen
  lan_inside || { echo "not inside the test LAN: no sweep here" >&2; exit 1; }
  wine_prefix_ready
  dir="$SCRATCH/sweep"
  rm -rf "$dir" && mkdir -p "$dir"
  start_kestrin "$dir"
  "$WINE64" "$DRIVER" click 1010 >/dev/null
  "$WINE64" "$DRIVER" wait-progress "$SWEEP_SHOT_AT" 120000 >/dev/null ||
    { echo "the sweep did not get to $SWEEP_SHOT_AT %" >&2; exit 1; }
  shoot "$DOCS/sweep.png" "$WIDTH" "$HEIGHT" "$X" "$Y"
  exit 0 ;;
esac

mkdir -p "$DOCS"
wine_prefix_ready
# This wine does not look in fonts-wine's folder by itself, so the caption buttons (Marlett) came
# out as letters: put its fonts where the prefix's programs look.
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  [ -f "/usr/share/wine/fonts/$font" ] || { echo "fonts-wine is missing: bash scripts/install-deps.sh" >&2; exit 1; }
  cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# No window manager runs on the virtual screen: wine draws the frames itself, with its own
# fonts for the caption and its buttons (fonts-wine).
"$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
"$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d "$DIALOG_FONT" /f >/dev/null 2>&1
"$WINESERVER" -w 2>/dev/null || true

trap lan_cleanup EXIT
trap 'exit 143' TERM INT HUP
[ "$(id -u)" -eq 0 ] || { echo "the pictures are taken in network namespaces, which need root" >&2; exit 1; }

# The main window: in a namespace of its own with loopback alone, removed again on exit.
MAIN_NS="$LAN_PREFIX-main-$LAN_ID"
lan_new_namespace "$MAIN_NS" || { echo "cannot create network namespaces here" >&2; exit 1; }
ip netns exec "$MAIN_NS" xvfb-run -a -s "-screen 0 800x600x24" bash "$SELF" --main
"$WINESERVER" -k 2>/dev/null || true
ip netns del "$MAIN_NS"
LAN_NAMESPACES=()

# The sweep probes every host of its /24: only ever inside the test LAN made here.
status=0
lan_start || status=$?
if [ $status -ne 0 ]; then
  echo "docs/sweep.png not made: $LAN_WHY" >&2
  exit 1
fi
ip netns exec "$LAN_NS" xvfb-run -a -s "-screen 0 800x600x24" bash "$SELF" --sweep
