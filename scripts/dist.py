#!/usr/bin/env python3
"""Packs the release: build/dist/Kestrin-<version>-win32.zip and its SHA256SUMS, the same bytes on every run.

The zip holds one folder, Kestrin-<version>/, with build/win32/Kestrin.exe, the Japanese guide as a
text file that Notepad opens as it is (UTF-8 with a byte order mark, CR LF) and the license.
Every entry has the same fixed time (the commit's, or SOURCE_DATE_EPOCH), fixed permissions and a
fixed order, so two builds of one commit give one zip.
"""
import hashlib
import os
import re
import subprocess
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXE = os.path.join(ROOT, "build", "win32", "Kestrin.exe")
OUT_DIR = os.path.join(ROOT, "build", "dist")


def fail(message):
    sys.exit("dist: " + message)


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def project_version():
    """The CMake project version, which the resources must state too: a zip named for one version
    must not carry a program that calls itself another."""
    found = re.search(r"project\(\s*Kestrin\s+VERSION\s+([0-9.]+)", read("CMakeLists.txt"))
    if not found:
        fail("no project version in CMakeLists.txt")
    version = found.group(1)
    rc = read("res/Kestrin.rc")
    for key in ("FileVersion", "ProductVersion"):
        stated = re.search(r'VALUE\s+"%s",\s*"([^"]*)"' % key, rc)
        if not stated or stated.group(1) != version:
            fail("res/Kestrin.rc's %s is %s, the project's version %s"
                 % (key, stated.group(1) if stated else "missing", version))
    if "Kestrin Version %s" % version not in read("res/Dialogs.rc"):
        fail("the About box in res/Dialogs.rc does not say version %s" % version)
    return version


def fixed_time():
    """SOURCE_DATE_EPOCH when set, else the commit's time, else the zip format's first day."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], check=True,
                                   capture_output=True, text=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = ""
    seconds = int(epoch) if epoch.isdigit() else 0
    stamp = time.gmtime(max(seconds, 315532800))  # zip times start in 1980
    return stamp[:6]


def markdown_to_text(markdown):
    """The guide as plain text for Notepad: no image lines, no link or code marks, headings kept
    visible, CR LF line ends."""
    lines = []
    in_code = False
    for line in markdown.splitlines():
        if line.startswith("```"):
            in_code = not in_code
            continue
        if in_code:
            lines.append("    " + line)
            continue
        if re.fullmatch(r"\s*!\[[^\]]*\]\([^)]*\)\s*", line):
            continue  # the pictures are in the online guide
        line = re.sub(r"\[([^\]]+)\]\((https?://[^)]+)\)", r"\1（\2）", line)
        line = re.sub(r"\[([^\]]+)\]\([^)]+\)", r"\1", line)
        line = line.replace("**", "").replace("`", "")
        heading = re.match(r"(#+)\s+(.*)", line)
        if heading:
            level, title = len(heading.group(1)), heading.group(2)
            if level == 1:
                lines += [title, "＝" * max(len(title), 8)]
            elif level == 2:
                lines.append("【%s】" % title)
            else:
                lines.append("◆ " + title)
            continue
        line = re.sub(r"^(\s*)[-*] ", r"\1・", line)
        lines.append(line)
    text = "\r\n".join(lines).rstrip() + "\r\n"
    return re.sub(r"(\r\n){3,}", "\r\n\r\n", text)


def add(archive, name, data, when, mode):
    info = zipfile.ZipInfo(name, date_time=when)
    info.create_system = 3  # Unix, so the permissions below are read
    info.external_attr = (mode << 16) | (0x10 if name.endswith("/") else 0)
    info.compress_type = zipfile.ZIP_STORED if name.endswith("/") else zipfile.ZIP_DEFLATED
    archive.writestr(info, data, compresslevel=9)


def main():
    version = project_version()
    if not os.path.isfile(EXE):
        fail("build the program first: make win32 (%s)" % EXE)
    with open(EXE, "rb") as f:
        exe = f.read()
    folder = "Kestrin-%s/" % version
    guide = b"\xef\xbb\xbf" + markdown_to_text(read("README.ja.md")).encode("utf-8")
    license_text = read("LICENSE").replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")

    os.makedirs(OUT_DIR, exist_ok=True)
    zip_name = "Kestrin-%s-win32.zip" % version
    zip_path = os.path.join(OUT_DIR, zip_name)
    when = fixed_time()
    partial = zip_path + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        add(archive, folder, b"", when, 0o755)
        add(archive, folder + "Kestrin.exe", exe, when, 0o755)
        add(archive, folder + "LICENSE.txt", license_text, when, 0o644)
        add(archive, folder + "README.ja.txt", guide, when, 0o644)
    os.replace(partial, zip_path)

    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(os.path.join(OUT_DIR, "SHA256SUMS"), "w", newline="\n") as f:
        f.write("%s  %s\n" % (digest, zip_name))
    print("wrote %s\n%s  %s" % (os.path.relpath(zip_path, ROOT), digest, zip_name))


if __name__ == "__main__":
    main()
