#!/usr/bin/python3
"""A stand-in for the accounting service on 127.0.0.1: its web roots (HTTPS and the
plain-HTTP fallback) with the scrambled account descriptors and the update information,
its FTP server with the service's folder, and its SMTP server that keeps the notices.

    run_service.py run   --dir STATE [options]   in the foreground until SIGTERM or Ctrl-C;
                                                 prints "READY <https port>", then the
                                                 environment for the program, then its log
    run_service.py start --dir STATE [options]   the same in the background; prints
                                                 "export NAME=value" lines for eval
    run_service.py stop  --dir STATE             stops what start began

STATE keeps the certificate, the web roots, the FTP home and the received mail; the
ports are in STATE/service.json and STATE/service.env. See README.md.
"""

import argparse
import json
import os
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "common"))

import service_accounts as accounts  # noqa: E402
import web_content  # noqa: E402
from ftp_server import FtpServer, prepare_home  # noqa: E402
from scrambler import Scrambler  # noqa: E402
from smtp_server import TLS_MODES, SmtpServer  # noqa: E402
from tls_setup import ensure_certificate, server_context  # noqa: E402
from web_server import WebServer  # noqa: E402

TLS_VERSION_CODES = {"1.0": 0, "1.1": 1, "1.2": 2}
START_TIMEOUT = 30


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["run", "start", "stop"])
    parser.add_argument("--dir", required=True, type=Path, help="the state folder")
    parser.add_argument("--qxscramble", help="path of qxscramble (default build/bin/qxscramble)")
    parser.add_argument("--smtp-tls", choices=sorted(TLS_MODES), default="starttls",
                        help="how the SMTP server offers TLS (default starttls)")
    parser.add_argument("--smtp-tls-version", choices=sorted(TLS_VERSION_CODES), default="1.2",
                        help="the TLS version the mail descriptor tells the program to use (default 1.2)")
    parser.add_argument("--offer-version", default=web_content.CURRENT_VERSION,
                        help="the version qx.inf offers (default: the program's own, so no update)")
    parser.add_argument("--upgrade-file", type=Path, help="a file qx.inf offers for download")
    parser.add_argument("--qxsign", default=web_content.DEFAULT_QXSIGN,
                        help="the maker's signing tool (default build/bin/qxsign)")
    parser.add_argument("--signing-key", type=Path, default=web_content.DEFAULT_SIGNING_KEY,
                        help="the maker's private key qx.inf is signed with (default: the tests' key)")
    args = parser.parse_args()
    args.dir = args.dir.resolve()
    {"run": run, "start": start, "stop": stop}[args.command](args)


class Log:
    def __init__(self):
        self._lock = threading.Lock()

    def __call__(self, line):
        with self._lock:
            print(line, flush=True)


def run(args):
    log = Log()
    state = args.dir
    scrambler = Scrambler(args.qxscramble)
    cert, key = ensure_certificate(state / "tls")
    context = server_context(cert, key)
    prepare_home(state / "ftp", accounts.SERVICE_FOLDER, accounts.NOTICE_ADDRESS)

    servers = [FtpServer(state / "ftp", accounts.FTP_USER, accounts.FTP_PASSWORD, log),
               SmtpServer(state / "mail", accounts.SMTP_USER, accounts.SMTP_PASSWORD, args.smtp_tls, context, log),
               WebServer(state / "web" / "https", log, context), WebServer(state / "web" / "http", log)]
    ftp, smtp, https, http = servers
    web_content.publish(
        state / "web" / "https", state / "web" / "http", scrambler,
        web_content.ftp_descriptor("127.0.0.1", accounts.FTP_USER, accounts.FTP_PASSWORD, ftp.port),
        web_content.mail_descriptor("127.0.0.1", accounts.SMTP_USER, accounts.SMTP_PASSWORD, smtp.port,
                                    TLS_MODES[args.smtp_tls], TLS_VERSION_CODES[args.smtp_tls_version]),
        web_content.update_information(args.offer_version, http.root, args.upgrade_file), args.upgrade_file,
        args.qxsign, args.signing_key)

    environment = {"QX_HTTPS_ROOT": https.root, "QX_HTTP_ROOT": http.root, "QX_UPDATE_ROOT": http.root}
    details = dict(environment, pid=os.getpid(), ftp_port=ftp.port, ftp_user=accounts.FTP_USER,
                   ftp_password=accounts.FTP_PASSWORD, ftp_home=str(state / "ftp"),
                   service_folder=accounts.SERVICE_FOLDER, notice_address=accounts.NOTICE_ADDRESS,
                   smtp_port=smtp.port, smtp_user=accounts.SMTP_USER, smtp_password=accounts.SMTP_PASSWORD,
                   smtp_tls=args.smtp_tls, mail_folder=str(state / "mail"), certificate=str(cert))

    # The servers' threads inherit the blocked signals, so only sigwait below sees them.
    endings = {signal.SIGTERM, signal.SIGINT}
    signal.pthread_sigmask(signal.SIG_BLOCK, endings)
    for server in servers:
        server.start()
    (state / "service.env").write_text("".join(f"{k}={v}\n" for k, v in environment.items()))
    (state / "service.json").write_text(json.dumps(details, indent=2) + "\n")
    log(f"READY {https.port}")
    log("".join(f"{k}={v}\n" for k, v in environment.items()).rstrip("\n"))
    log(f"FTP 127.0.0.1:{ftp.port} user {accounts.FTP_USER}, folder {accounts.SERVICE_FOLDER}; "
        f"SMTP 127.0.0.1:{smtp.port} ({args.smtp_tls})")

    signal.sigwait(endings)
    for server in servers:
        server.stop()
    for name in ("service.env", "service.json"):
        (state / name).unlink(missing_ok=True)
    log("STOPPED")


def start(args):
    state = args.dir
    running = _running_pid(state)
    if running:
        print(f"The stand-in service already runs (pid {running}).", file=sys.stderr)
        _print_exports(state)
        return
    state.mkdir(parents=True, exist_ok=True)
    (state / "service.json").unlink(missing_ok=True)
    command = [sys.executable, str(Path(__file__).resolve()), "run", "--dir", str(state),
               "--smtp-tls", args.smtp_tls, "--smtp-tls-version", args.smtp_tls_version,
               "--offer-version", args.offer_version]
    for option, value in (("--qxscramble", args.qxscramble), ("--upgrade-file", args.upgrade_file),
                          ("--qxsign", args.qxsign), ("--signing-key", args.signing_key)):
        if value:
            command += [option, str(Path(value).resolve())]
    with open(state / "service.log", "ab") as out:
        child = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                 start_new_session=True)
    deadline = time.monotonic() + START_TIMEOUT
    while not (state / "service.json").is_file():
        if child.poll() is not None or time.monotonic() > deadline:
            child.kill()
            sys.exit("The stand-in service did not start; see " + str(state / "service.log"))
        time.sleep(0.05)
    (state / "service.pid").write_text(f"{child.pid}\n")
    print(f"The stand-in service runs (pid {child.pid}); log in {state / 'service.log'}.", file=sys.stderr)
    _print_exports(state)


def stop(args):
    state = args.dir
    pid = _running_pid(state)
    if not pid:
        print("The stand-in service does not run.", file=sys.stderr)
    else:
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + 10
        while _alive(pid) and time.monotonic() < deadline:
            time.sleep(0.05)
        if _alive(pid):
            os.kill(pid, signal.SIGKILL)
        print(f"The stand-in service stopped (pid {pid}).", file=sys.stderr)
    for name in ("service.pid", "service.env", "service.json"):
        (state / name).unlink(missing_ok=True)


def _print_exports(state):
    for line in (state / "service.env").read_text().splitlines():
        print(f"export {line}")


def _running_pid(state):
    """The pid in STATE/service.pid when that process is still our service."""
    try:
        pid = int((state / "service.pid").read_text())
        command_line = Path(f"/proc/{pid}/cmdline").read_bytes()
    except (OSError, ValueError):
        return None
    return pid if b"run_service.py" in command_line and _alive(pid) else None


def _alive(pid):
    # A process that ended but is not yet reaped (a zombie) counts as gone.
    try:
        return not Path(f"/proc/{pid}/stat").read_text().split(") ")[-1].startswith("Z")
    except OSError:
        return False


if __name__ == "__main__":
    main()
