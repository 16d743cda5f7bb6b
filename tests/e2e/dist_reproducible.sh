#!/usr/bin/env bash
# The release is reproducible: `make dist` in two fresh clones of HEAD, in folders of different path
# lengths, gives byte-identical zips and Kestrin.exes; the zip holds exactly its one folder with the
# 32-bit program (i386 PE, zero link time), the guide and the license, and SHA256SUMS matches it.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
WORK="$ROOT/build/e2e-dist"

skip() { echo "$1"; exit 77; }
fail() { echo "FAILED: $1"; exit 1; }

command -v git >/dev/null || skip "git missing: release reproducibility not checked"
git -C "$ROOT" rev-parse --verify -q HEAD >/dev/null || skip "not a git checkout: release reproducibility not checked"
command -v i686-w64-mingw32-g++-posix >/dev/null || skip "no i686 MinGW compiler: release reproducibility not checked"

REVISION=$(git -C "$ROOT" rev-parse HEAD)
rm -rf "$WORK"
trap 'rm -rf "$WORK"' EXIT
A="$WORK/a"
B="$WORK/b-in-a-folder-with-a-much-longer-name/clone"
for clone in "$A" "$B"; do
  mkdir -p "$(dirname "$clone")"
  git clone -q --no-hardlinks --no-checkout "$ROOT" "$clone" && git -C "$clone" checkout -q "$REVISION" ||
    fail "git clone of $REVISION into $clone"
  echo "== make dist in $clone"
  make -C "$clone" dist JOBS="${JOBS:-2}" >"$clone.log" 2>&1 || { tail -20 "$clone.log"; fail "make dist in $clone"; }
done

status=0
check() {  # description, command...
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; status=1; fi
}

zip_a=$(ls "$A"/build/dist/Kestrin-*-win32.zip 2>/dev/null)
zip_b="$B/build/dist/$(basename "$zip_a")"
[ -f "$zip_a" ] && [ -f "$zip_b" ] || fail "no zip in build/dist of both clones"
check "the two zips are byte-identical" cmp "$zip_a" "$zip_b"
check "the two Kestrin.exe are byte-identical" cmp "$A/build/win32/Kestrin.exe" "$B/build/win32/Kestrin.exe"
check "SHA256SUMS matches the zip" bash -c 'cd "$1" && sha256sum --quiet -c SHA256SUMS' _ "$A/build/dist"

# The zip's entries and its program, read with python's zipfile so no unzip is needed.
python3 - "$zip_a" "$A/build/win32/Kestrin.exe" <<'EOF' || status=1
import re, struct, sys, zipfile

zip_path, built_exe = sys.argv[1], sys.argv[2]
version = re.search(r"Kestrin-(.+)-win32\.zip$", zip_path).group(1)
folder = "Kestrin-%s/" % version
failed = []
def check(ok, what):
    print(("ok: " if ok else "FAILED: ") + what)
    if not ok:
        failed.append(what)

with zipfile.ZipFile(zip_path) as z:
    names = z.namelist()
    expected = [folder + n for n in ("", "Kestrin.exe", "LICENSE.txt", "README.ja.txt")]
    check(names == expected, "entries are exactly %s (got %s)" % (expected, names))
    check(len({i.date_time for i in z.infolist()}) == 1, "every entry has the same time")
    exe = z.read(folder + "Kestrin.exe") if folder + "Kestrin.exe" in names else b""
    guide = z.read(folder + "README.ja.txt") if folder + "README.ja.txt" in names else b""
    check(exe == open(built_exe, "rb").read(), "the zip's Kestrin.exe is build/win32/Kestrin.exe")

pe = struct.unpack_from("<I", exe, 0x3C)[0] if len(exe) > 0x40 else 0
signature, machine, _, stamp = struct.unpack_from("<4sHHI", exe, pe) if pe else (b"", 0, 0, -1)
magic = struct.unpack_from("<H", exe, pe + 24)[0] if pe else 0
check(signature == b"PE\0\0" and machine == 0x14C and magic == 0x10B,
      "Kestrin.exe is a 32-bit i386 PE (machine %#x, optional header %#x)" % (machine, magic))
check(stamp == 0, "the PE header's link time is zero (%#x)" % stamp)
check(guide.startswith(b"\xef\xbb\xbf") and b"\r\n" in guide and b"\n" not in guide.replace(b"\r\n", b""),
      "the guide is UTF-8 with a byte order mark and CR LF line ends only")
try:
    guide.decode("utf-8")
except UnicodeDecodeError:
    check(False, "the guide decodes as UTF-8")
sys.exit(1 if failed else 0)
EOF

echo "sha256 of the zip: $(sha256sum "$zip_a" | cut -d' ' -f1) (clone a), $(sha256sum "$zip_b" | cut -d' ' -f1) (clone b)"
[ $status -eq 0 ] && echo "release reproducibility: passed" || echo "release reproducibility: FAILED"
exit $status
