#!/usr/bin/env bash
# Saves docs/screenshot.png: Kestrin.exe's main window under wine64 on a virtual screen, with a
# sample host list (Japanese aliases, written in code page 932) and the second host clicked.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
# A prefix of its own: the look settings below are for the picture, not for the tests.
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix-screenshot}"
source "$ROOT/scripts/wine-env.sh"
OUT="${SCREENSHOT_OUT:-$ROOT/docs/screenshot.png}"
EXE="$ROOT/build/win64/Kestrin.exe"
[ -x "$EXE" ] || { echo "build the program first: make win64" >&2; exit 1; }

if [ "${1:-}" != "--on-screen" ]; then
  wine_prefix_ready
  # No window manager runs on the virtual screen: wine draws the caption itself. The dialogs ask
  # for MS UI Gothic, which wine does not have; a proportional Japanese Gothic stands in for it.
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w 2>/dev/null || true
  exec xvfb-run -a -s "-screen 0 800x600x24" bash "$0" --on-screen
fi

# From here on we run inside the virtual screen.
scratch="$ROOT/build/screenshot-scratch"
rm -rf "$scratch" && mkdir -p "$scratch" "$(dirname "$OUT")"
# Broadcast texts stay on loopback: nothing here may reach a real network.
printf '%s\r\n' \
  "00a0b1c2d3e4,Web サーバー,127.0.0.1" \
  "001122334455,経理部のノートPC,127.0.0.1" \
  "0800275e1a2b,ファイルサーバー（本社）,127.0.0.1" \
  "001a2b3c4d5e,build-host,127.0.0.1" |
  iconv -f utf-8 -t cp932 >"$scratch/MacList.txt"

(cd "$scratch" && exec "$WINE64" "$EXE") >/dev/null 2>&1 &
pid=$!
cleanup() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
trap cleanup EXIT

window=""
for _ in $(seq 1 120); do
  window=$(xdotool search --onlyvisible --name '^Kestrin$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "Kestrin.exe ended before showing its window" >&2; exit 1; }
  sleep 0.5
done
[ -n "$window" ] || { echo "no Kestrin window appeared" >&2; exit 1; }
sleep 2

eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT

# Click the second host: the edits take its texts and the list, now focused, shows the row selected.
# The list starts 61 of the client area's 209 dialog units down, below a caption of about 18 pixels;
# its header is about 20 pixels high and each row about 15.
caption=18
xdotool mousemove "$((X + 60))" "$((Y + caption + (HEIGHT - caption) * 61 / 209 + 20 + 15 + 7))" click 1
sleep 1.5

import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OUT"
echo "wrote $OUT (${WIDTH}x${HEIGHT})"
