#!/usr/bin/env python3
"""Listens on a loopback UDP port, runs a command, and checks it delivered exactly the expected magic packets.

usage: udp_listen.py MAC_HEX COUNT [--status N] -- command args...
Binds 127.0.0.1:4352 before starting the command, so nothing can be missed. The command must
exit with status N (default 0).
"""
import os
import signal
import socket
import subprocess
import sys
import time

COMMAND_TIMEOUT_SECONDS = 300


def main():
    sep = sys.argv.index("--")
    mac_hex, count = sys.argv[1], int(sys.argv[2])
    status = int(sys.argv[sys.argv.index("--status") + 1]) if "--status" in sys.argv[:sep] else 0
    command = sys.argv[sep + 1:]
    expected = b"\xff" * 6 + bytes.fromhex(mac_hex) * 17

    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    deadline = time.time() + 30
    while True:  # another test may hold the port for a moment
        try:
            sock.bind(("127.0.0.1", 4352))
            break
        except OSError:
            if time.time() > deadline:
                raise
            time.sleep(0.1)

    started = time.time()
    # A cold wine start on a loaded machine can take a minute by itself. The command gets its own
    # process group, so a run that hangs is ended with everything it started (Xvfb, wine).
    proc = subprocess.Popen(command, start_new_session=True)
    try:
        proc.wait(timeout=COMMAND_TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        print(f"command still running after {COMMAND_TIMEOUT_SECONDS} s: ended it")
        sys.exit(1)
    elapsed = time.time() - started
    sock.settimeout(1.0)
    got = []
    try:
        while True:
            got.append(sock.recv(2048))
    except socket.timeout:
        pass

    print(f"command exited {proc.returncode} after {elapsed:.2f}s, {len(got)} datagram(s)")
    ok = len(got) == count and all(d == expected for d in got) and proc.returncode == status
    if proc.returncode != status:
        print(f"  expected exit status {status}")
    for d in got:
        print(f"  {len(d)} bytes: {d[:12].hex()}...{'' if d == expected else ' (unexpected content)'}")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
