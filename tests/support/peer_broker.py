#!/usr/bin/python3
"""Starts the tests' peer servers natively for test programs running under Wine, which cannot
start Linux programs themselves (tests/support/ChildProcess_win32.cpp is the other side).

    peer_broker.py SOURCE_DIR        (token in QX_PEER_BROKER_TOKEN, prefix in WINEPREFIX)

Prints "READY <port>". A test connects to 127.0.0.1:<port> and sends one line: the token, a
tab and its command as a JSON list. Only /usr/bin/python3 with a script of the source tree's
tests/ folder is started; arguments that are Wine paths ("Z:/...", "C:\\...") become the Linux
paths behind them. The child's standard output goes back over the connection; when the test
closes the connection, the child is stopped.
"""
import hmac
import json
import os
import re
import socket
import subprocess
import sys
import threading
from pathlib import Path

PYTHON = "/usr/bin/python3"
DRIVE_PATH = re.compile(r"^([A-Za-z]):[\\/]")


def linux_path(argument, prefix):
    match = DRIVE_PATH.match(argument)
    if not match:
        return argument
    drive = os.path.realpath(prefix / "dosdevices" / (match.group(1).lower() + ":"))
    return os.path.join(drive, argument[3:].replace("\\", "/"))


def allowed(argv, tests):
    if len(argv) < 2 or argv[0] != PYTHON:
        return False
    script = Path(os.path.realpath(argv[1]))
    return script.is_file() and tests in script.parents


def read_request(connection):
    data = b""
    while not data.endswith(b"\n"):
        chunk = connection.recv(65536)
        if not chunk or len(data) > 1 << 20:
            return None
        data += chunk
    return data.decode("utf-8").rstrip("\n")


def serve(connection, token, tests, prefix):
    with connection:
        request = read_request(connection)
        if request is None or "\t" not in request:
            return
        given, command = request.split("\t", 1)
        if not hmac.compare_digest(given.encode(), token.encode()):
            return
        argv = [linux_path(a, prefix) for a in json.loads(command)]
        if not allowed(argv, tests):
            connection.sendall(b"REFUSED\n")
            return
        child = subprocess.Popen(argv, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)

        def forward():
            for line in iter(child.stdout.readline, b""):
                try:
                    connection.sendall(line)
                except OSError:
                    break

        forwarder = threading.Thread(target=forward, daemon=True)
        forwarder.start()
        try:
            while connection.recv(4096):
                pass  # the test sends nothing more; the end of the connection stops the child
        except OSError:
            pass
        child.terminate()
        try:
            child.wait(5)
        except subprocess.TimeoutExpired:
            child.kill()
            child.wait()
        forwarder.join(5)


def main():
    tests = Path(os.path.realpath(sys.argv[1])) / "tests"
    prefix = Path(os.environ["WINEPREFIX"])
    token = os.environ["QX_PEER_BROKER_TOKEN"]
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print("READY %d" % listener.getsockname()[1], flush=True)
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection, token, tests, prefix), daemon=True).start()


if __name__ == "__main__":
    main()
