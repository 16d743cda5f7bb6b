# Sourced by the scripts that run Kestrin.exe: which build, its wine and prefix, Japanese locale, quiet wine.
#
# KESTRIN_WINBUILD picks the build: win32 (the release program, under wine32) or win64 (the same
# sources for x86_64, under wine64; the default). Sets WINE (the loader for that build), WINBUILD
# (its build folder) and a project-local WINEPREFIX of that architecture unless one is given.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KESTRIN_WINBUILD="${KESTRIN_WINBUILD:-win64}"
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
case "$KESTRIN_WINBUILD" in
  win32) export WINEARCH=win32; WINE="$WINE32"; WINE_NAME=wine32 ;;
  win64) export WINEARCH=win64; WINE="$WINE64"; WINE_NAME=wine64 ;;
  *) echo "KESTRIN_WINBUILD is win32 or win64, not '$KESTRIN_WINBUILD'" >&2; return 2 ;;
esac
export KESTRIN_WINBUILD WINE WINE_NAME
WINBUILD="$ROOT/build/$KESTRIN_WINBUILD"
# A prefix has one architecture for good: each build gets its own.
if [ "$KESTRIN_WINBUILD" = win64 ]; then
  export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
else
  export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix-$KESTRIN_WINBUILD}"
fi
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko prompts: the program needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# Creates the prefix once; a fresh one takes about ten seconds.
wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$WINE" wineboot --init >/dev/null 2>&1 || true
    # No window manager runs on the virtual screen: unmanaged windows close at once instead of
    # wine waiting two seconds per window for a manager's answer.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    "$WINESERVER" -w 2>/dev/null || true
  fi
}

# Succeeds when this machine can run the chosen build: its wine is installed, the kernel runs
# that wine (a 64-bit kernel may have no 32-bit support at all), and a tiny program of the build
# runs in the prefix and hands back its exit code. Otherwise prints the reason and fails.
wine_build_runs_here() {
  [ -x "$WINE" ] || { echo "$WINE_NAME is not installed ($WINE missing)"; return 1; }
  local out
  # The reason in English: the locale above would have the shell say it in Japanese.
  if ! out=$(export LC_ALL=C; "$WINE" --version 2>&1); then
    echo "this machine cannot run $WINE_NAME: ${out##*: }"
    return 1
  fi
  local probe="$WINBUILD/kestrin_runs_here.exe"
  [ -f "$probe" ] || { echo "$probe is not built"; return 1; }
  wine_prefix_ready
  timeout 120 "$WINE" "$probe" >/dev/null 2>&1
  local rc=$?
  # The probe ran without a display: a wineserver left from it would keep a desktop that has none,
  # and the windows of the next program on a virtual screen could not be made.
  "$WINESERVER" -k 2>/dev/null || true
  [ $rc -eq 42 ] || { echo "a $KESTRIN_WINBUILD program does not run under $WINE_NAME here (exit $rc, not 42)"; return 1; }
}
