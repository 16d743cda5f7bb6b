#!/usr/bin/env bash
# Prints how the main window's labels fit their boxes in each installed Japanese Gothic, measured in
# wine: the table behind the choice of the face that stands in for MS UI Gothic in the pictures.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix-screenshot}"
source "$ROOT/scripts/wine-env.sh"
WORK="$ROOT/build/font-fit"
mkdir -p "$WORK"
# The candidates, or the faces given as arguments.
FACES=("$@")
[ $# -gt 0 ] || FACES=("IPAPGothic" "IPAGothic" "IPAexGothic" "VL PGothic" "VL Gothic" "TakaoPGothic"
  "TakaoGothic" "Noto Sans CJK JP" "M PLUS 1" "M PLUS 2" "Konatu" "Konatu Tohaba" "Komatuna P"
  "MigMix 1P" "MigMix 2P" "Migu 1P" "BIZ UDPGothic" "Sawarabi Gothic" "Ume P Gothic" "Ume UI Gothic"
  "Ume UI Gothic O5")

x86_64-w64-mingw32-g++-posix -O1 -static -o "$WORK/dialog_font_fit.exe" \
  "$ROOT/scripts/dialog_font_fit.cpp" -lgdi32 -lshell32

# The statics of the main window's template: box width (dialog units) and text.
python3 - "$ROOT/res/Dialogs.rc" >"$WORK/labels.txt" <<'EOF'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
main = text.split("IDD_KESTRIN_DIALOG", 1)[1].split("END", 1)[0]
for m in re.finditer(r'CONTROL\s+"([^"]+)",\s*-1,\s*"STATIC",[^,]+,\s*\d+,\s*\d+,\s*(\d+),\s*\d+', main):
    print("%s\t%s" % (m.group(2), m.group(1)))
EOF

wine_prefix_ready
labels=()
while IFS=$'\t' read -r width label; do labels+=("$label ($width)"); done <"$WORK/labels.txt"
echo "text width / box width in pixels, 9 pt at 96 dpi; boxes: dialog units with the face's base units"
printf "face\tgot\tbase-x\tbase-y\t"; (IFS=$'\t'; echo "${labels[*]}")
(cd "$WORK" && xvfb-run -a "$WINE64" dialog_font_fit.exe labels.txt "${FACES[@]}") | tr -d '\r'
