#!/usr/bin/env bash
# Starts Kestrin.exe under wine64 (on a virtual screen when there is no display), arguments passed through.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
wine_prefix_ready
# The dialogs ask for MS UI Gothic, which wine lacks; a proportional Japanese Gothic reads closest.
if ! grep -q '"MS UI Gothic"="IPAPGothic"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f >/dev/null 2>&1 || true
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$WINE64" "$ROOT/build/win64/Kestrin.exe" "$@"
fi
exec "$WINE64" "$ROOT/build/win64/Kestrin.exe" "$@"
