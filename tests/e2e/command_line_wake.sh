#!/usr/bin/env bash
# The command-line wake end to end: native kestrin and Kestrin.exe under wine each deliver one
# 108-byte packet to 127.0.0.1:4352; the native program refuses other command lines with status 2;
# Kestrin.exe without arguments shows its window instead and ends when it is closed. Started from
# a folder under the temporary folder (a zip opened without extracting it), the window first
# warns once that the list will be lost; the command-line wake from there shows nothing.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$ROOT/scripts/wine-env.sh"

# Inside a virtual screen: PROGRAM without arguments shows its window (after the one warning when
# WARNS is yes, and no message box otherwise) and stays until it is closed, then ends with status 0.
if [ "${1:-}" = "--window-session" ]; then
  program="$2" warns="$3"
  driver="$WINBUILD/kestrin_e2e_driver.exe"
  scratch="$ROOT/build/e2e-window-scratch"
  rm -rf "$scratch" && mkdir -p "$scratch"
  printf '00a0b1c2d3e4,printer,127.0.0.1\r\n' >"$scratch/MacList.txt"
  (cd "$scratch" && exec "$WINE" "$program") >/dev/null 2>&1 &
  pid=$!
  if [ "$warns" = yes ]; then
    text=$("$WINE" "$driver" message 120000) || { kill "$pid"; echo "no warning: $text"; exit 1; }
    echo "the warning: $text"
    case "$text" in *一時フォルダー*zip*) ;; *) kill "$pid"; echo "not the warning about the temporary folder"; exit 1 ;; esac
  fi
  window=""
  # Up to two minutes: a first start on a freshly made prefix, on a busy machine, is slow.
  for _ in $(seq 1 240); do
    window=$(xdotool search --onlyvisible --name '^Kestrin$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "Kestrin.exe ended without showing its window"; exit 1; }
    sleep 0.5
  done
  [ -n "$window" ] || { kill "$pid"; echo "no window appeared"; exit 1; }
  sleep 2
  kill -0 "$pid" 2>/dev/null || { echo "Kestrin.exe ended by itself"; exit 1; }
  if text=$("$WINE" "$driver" message 1000); then
    kill "$pid"; echo "a message box (the warning is shown once, and only from the temporary folder): $text"; exit 1
  fi
  # Close it as its close box does (no window manager runs here to route keys to it).
  "$WINE" "$driver" close 30000 || true
  for _ in $(seq 1 120); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.25
  done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; echo "closing did not end the program"; exit 1; fi
  wait "$pid"
  exit $?
fi
LISTEN="python3 $ROOT/tests/e2e/udp_listen.py"

echo "native: -e 00a0b1c2d3e4 -m 127.0.0.1"
$LISTEN 00a0b1c2d3e4 1 -- "$ROOT/build/native/kestrin" -e 00a0b1c2d3e4 -m 127.0.0.1

echo "native: no arguments gives status 2 and sends nothing"
set +e
$LISTEN 00a0b1c2d3e4 0 --status 2 -- "$ROOT/build/native/kestrin"
[ $? -eq 0 ] || { echo "a packet was sent, or the status was not 2"; exit 1; }
"$ROOT/build/native/kestrin" -e 00a0b1c2d3e4 2>/dev/null; rc=$?
set -e
[ $rc -eq 2 ] || { echo "expected status 2, got $rc"; exit 1; }

echo "$WINE_NAME ($KESTRIN_WINBUILD): Kestrin.exe -e 00a0b1c2d3e4 -m 127.0.0.1"
wine_prefix_ready
$LISTEN 00a0b1c2d3e4 1 -- xvfb-run -a "$WINE" "$WINBUILD/Kestrin.exe" -e 00a0b1c2d3e4 -m 127.0.0.1

echo "$WINE_NAME ($KESTRIN_WINBUILD): Kestrin.exe without arguments shows its window, sends nothing, ends when closed"
$LISTEN 00a0b1c2d3e4 0 -- xvfb-run -a bash "$0" --window-session "$WINBUILD/Kestrin.exe" no

# Where Explorer puts a zip's program opened without extracting the zip.
temp_windows=$("$WINE" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$("$WINE" winepath -u "$temp_windows" 2>/dev/null)
[ -d "$temp_unix" ] || { echo "the prefix's temporary folder ($temp_windows) is not a folder here"; exit 1; }
zip_folder="$temp_unix/Temp1_Kestrin-win32.zip/Kestrin"
rm -rf "$temp_unix/Temp1_Kestrin-win32.zip" && mkdir -p "$zip_folder"
cp "$WINBUILD/Kestrin.exe" "$zip_folder/"
trap 'rm -rf "$temp_unix/Temp1_Kestrin-win32.zip"' EXIT

echo "$WINE_NAME ($KESTRIN_WINBUILD): Kestrin.exe under the temporary folder -e 00a0b1c2d3e4 -m 127.0.0.1 sends without a word"
$LISTEN 00a0b1c2d3e4 1 -- xvfb-run -a "$WINE" "$zip_folder/Kestrin.exe" -e 00a0b1c2d3e4 -m 127.0.0.1

echo "$WINE_NAME ($KESTRIN_WINBUILD): Kestrin.exe under the temporary folder warns once, then shows its window"
$LISTEN 00a0b1c2d3e4 0 -- xvfb-run -a bash "$0" --window-session "$zip_folder/Kestrin.exe" yes
