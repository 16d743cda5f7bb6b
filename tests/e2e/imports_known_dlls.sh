#!/usr/bin/env bash
# Each built Kestrin.exe imports only Windows' KnownDLLs, which Windows always takes from system32
# and never from the program's folder (where a planted DLL of another name would run before
# WinMain), and keeps ASLR and DEP: a relocatable image with DYNAMIC_BASE and NX_COMPAT; the 32-bit
# one is marked NO_SEH as well.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
# KnownDLLs of every Windows from 7 to 11 (Session Manager\KnownDLLs).
KNOWN_DLLS="advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ole32
  oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32"

checked=0 failed=0
for build in win32 win64; do
  exe="$ROOT/build/$build/Kestrin.exe"
  [ -f "$exe" ] || continue
  case "$build" in win32) objdump=i686-w64-mingw32-objdump ;; *) objdump=x86_64-w64-mingw32-objdump ;; esac
  headers=$("$objdump" -p "$exe") || { echo "$build: $objdump cannot read $exe"; failed=1; continue; }
  checked=$((checked + 1))
  imports=$(sed -n 's/^\tDLL Name: \(.*\)\.dll$/\1/Ip' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
  echo "$build imports: $(echo $imports)"
  [ -n "$imports" ] || { echo "$build: no import table read"; failed=1; }
  for dll in $imports; do
    case " $(echo $KNOWN_DLLS) " in *" $dll "*) ;; *) echo "$build: $dll.dll is not a KnownDLL"; failed=1 ;; esac
  done
  flags="DYNAMIC_BASE NX_COMPAT"
  [ "$build" = win32 ] && flags+=" NO_SEH"
  for flag in $flags; do
    grep -q "^[[:space:]]*$flag\$" <<<"$headers" || { echo "$build: no $flag"; failed=1; }
  done
  grep -qE '^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation Directory' <<<"$headers" ||
    { echo "$build: no relocations"; failed=1; }
done
[ "$checked" -gt 0 ] || { echo "no Kestrin.exe built (make win32 win64)"; exit 77; }
exit "$failed"
