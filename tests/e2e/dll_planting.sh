#!/usr/bin/env bash
# No DLL beside Kestrin.exe runs its code (a Downloads folder holds whatever was downloaded): for
# each name below, a probe DLL of that name that records its loading sits beside a copy of the
# program, and wine is told to prefer it (name=n,b gives Windows' order for a DLL that is not a
# KnownDLL: the program's folder first). The copy wakes 127.0.0.1 from the command line, and its
# window sweeps and makes a row's shortcut; no probe may run. All inside a network namespace of
# loopback alone. A control program that loads a name plainly shows that a probe would be seen.
# version.dll is left out: wine's own user32 imports it before the program runs; Windows' does not.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BASE_OVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDLLOVERRIDES="$BASE_OVERRIDES"
source "$ROOT/scripts/wine-env.sh"
NAMES=(iphlpapi uxtheme dwmapi comctl32 dnsapi winnsi dhcpcsvc propsys cryptbase profapi userenv)
MAC=00a0b1c2d3e4
DRIVER="$WINBUILD/kestrin_e2e_driver.exe"
LISTEN="python3 $ROOT/tests/e2e/udp_listen.py"

# Inside the namespace and the virtual screen: every name in turn, in one wine session.
if [ "${1:-}" = "--session" ]; then
  work="$2" app="$2/app" log="$2/probes.log"
  # One wineserver for every run below (ended by the caller's cleanup), not one start per run.
  "$WINESERVER" -p
  echo "control: a plain LoadLibrary of uxtheme.dll takes the probe beside the program"
  cp "$work/probe.dll" "$app/uxtheme.dll"
  WINEDLLOVERRIDES="$BASE_OVERRIDES;uxtheme=n,b" "$WINE" "$app/control.exe" uxtheme.dll || true
  rm "$app/uxtheme.dll"
  grep -q . "$log" 2>/dev/null || { echo "the control's probe left no line: this test could see nothing"; exit 1; }
  : >"$log"
  links=("$WINEPREFIX/drive_c/users/Public/Desktop/Kestrin probe.lnk"
         "$WINEPREFIX/drive_c/users/$(id -un)/Desktop/Kestrin probe.lnk")
  no_probe_ran() {
    if grep -q . "$log" 2>/dev/null; then echo "PROBE RAN in $1: $(cat "$log")"; exit 1; fi
  }
  # A probe that ran may be what broke the program: it is named first.
  window_failed() { kill "$pid" 2>/dev/null; no_probe_ran "the window"; echo "$1"; exit 1; }
  for name in "${NAMES[@]}"; do
    export WINEDLLOVERRIDES="$BASE_OVERRIDES;$name=n,b"
    cp "$work/probe.dll" "$app/$name.dll"
    echo "$name: the command-line wake"
    (cd "$app" && $LISTEN "$MAC" 1 -- "$WINE" "$app/Kestrin.exe" -e "$MAC" -m 127.0.0.1) ||
      { no_probe_ran "the command-line wake"; exit 1; }
    no_probe_ran "the command-line wake"
    echo "$name: the window sweeps and makes the row's shortcut"
    (cd "$app" && exec "$WINE" "$app/Kestrin.exe") >/dev/null 2>&1 &
    pid=$!
    # The sweep asks IP Helper for the adapters first thing, and the window waits for it to end
    # before it goes; with loopback alone it ends at once.
    "$WINE" "$DRIVER" wait-window 120000 && "$WINE" "$DRIVER" click 1001 && "$WINE" "$DRIVER" select-first &&
      "$WINE" "$DRIVER" click 1008 || window_failed "driving the window failed"
    for _ in $(seq 1 300); do
      [ -f "${links[0]}" ] || [ -f "${links[1]}" ] && break
      sleep 0.1
    done
    [ -f "${links[0]}" ] || [ -f "${links[1]}" ] || window_failed "no shortcut was made"
    "$WINE" "$DRIVER" close 20000 || true
    wait "$pid" || window_failed "the window did not end well"
    rm -f "$app/$name.dll" "${links[@]}"
    no_probe_ran "the window"
  done
  exit 0
fi

[ "$(id -u)" -eq 0 ] || { echo "network namespaces need root"; exit 77; }
[ -f "$DRIVER" ] || { echo "$WINBUILD is not built (make $KESTRIN_WINBUILD)"; exit 77; }
case "$KESTRIN_WINBUILD" in win32) CC=i686-w64-mingw32-gcc ;; *) CC=x86_64-w64-mingw32-gcc ;; esac
work="$(mktemp -d "$ROOT/build/e2e-dll.XXXXXX")"
namespace="kdll-$$"
cleanup() {
  pids=$(ip netns pids "$namespace" 2>/dev/null || true)
  if [ -n "$pids" ]; then kill $pids 2>/dev/null || true; fi
  "$WINESERVER" -k 2>/dev/null || true
  ip netns del "$namespace" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/app"
cp "$WINBUILD/Kestrin.exe" "$work/app/"
printf '%s,probe,127.0.0.1\r\n' "$MAC" >"$work/app/MacList.txt"
cat >"$work/probe.c" <<EOF
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID unused) {
  char line[MAX_PATH + 2];
  DWORD length, written;
  HANDLE log;
  (void)unused;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  length = GetModuleFileNameA(self, line, MAX_PATH);
  line[length++] = '\n';
  log = CreateFileA("Z:$work/probes.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                    OPEN_ALWAYS, 0, NULL);
  WriteFile(log, line, length, &written, NULL);
  CloseHandle(log);
  return TRUE;
}
EOF
cat >"$work/control.c" <<'EOF'
#include <windows.h>
int main(int argc, char** argv) { return argc > 1 && LoadLibraryA(argv[1]) != NULL ? 0 : 1; }
EOF
"$CC" -shared -O2 -o "$work/probe.dll" "$work/probe.c"
"$CC" -O2 -o "$work/app/control.exe" "$work/control.c"

wine_prefix_ready
# The session's wineserver must start inside the namespace: wine's sockets are made by it.
"$WINESERVER" -k 2>/dev/null || true
ip netns add "$namespace"
ip -n "$namespace" link set lo up
ip netns exec "$namespace" xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --session "$work"
