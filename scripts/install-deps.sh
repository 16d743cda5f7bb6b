#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kestrin need.
# Safe to run again: it only asks apt for what is missing.
set -euo pipefail

PACKAGES=(
  make cmake g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb xauth x11-utils xdotool imagemagick fonts-ipafont-gothic fonts-horai-umefont fonts-wine locales
  python3 iproute2 iptables hyperfine wakeonlan liblnk-utils
)

# The release program is 32-bit: wine32 runs it. It is the only package taken from i386.
I386_PACKAGES=(wine32:i386)

missing=()
for p in "${PACKAGES[@]}" "${I386_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root:" >&2
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The window speaks Japanese; wine needs the locale to exist to pick CP932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  if [ "$(id -u)" -eq 0 ]; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  else
    echo "Generate the ja_JP.UTF-8 locale as root: locale-gen ja_JP.UTF-8" >&2
    exit 1
  fi
fi
