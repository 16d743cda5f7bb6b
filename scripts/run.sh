#!/usr/bin/env bash
# Starts Kestrin.exe, arguments passed through: the release program (win32) under wine32 where this
# machine runs 32-bit programs, else the x86_64 build under wine64; on a virtual screen when there is no display.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export KESTRIN_WINBUILD=win32
source "$ROOT/scripts/wine-env.sh"
if ! why=$(wine_build_runs_here); then
  echo "run.sh: $why; starting the x86_64 build under wine64 instead" >&2
  unset WINEPREFIX
  export KESTRIN_WINBUILD=win64
  source "$ROOT/scripts/wine-env.sh"
  wine_prefix_ready
fi
echo "run.sh: $KESTRIN_WINBUILD/Kestrin.exe under $WINE_NAME (prefix $WINEPREFIX)" >&2
# The dialogs ask for MS UI Gothic, which wine lacks; Ume UI Gothic fits their labels best (scripts/dialog-font-fit.sh).
if ! grep -q '"MS UI Gothic"="Ume UI Gothic"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'Ume UI Gothic' /f >/dev/null 2>&1 || true
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$WINE" "$WINBUILD/Kestrin.exe" "$@"
fi
exec "$WINE" "$WINBUILD/Kestrin.exe" "$@"
