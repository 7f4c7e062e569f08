#!/usr/bin/python3
"""Starts the stand-in service, talks to each of its servers with Python's own clients
as the program would (descriptors over HTTPS and HTTP, FTP login and upload, one
notice over SMTP with STARTTLS and AUTH LOGIN), and stops it: nothing may be left.

    check_service.py --qxscramble build/bin/qxscramble
"""

import argparse
import email
import email.policy
import ftplib
import io
import json
import os
import signal
import smtplib
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request
import warnings
from email.message import EmailMessage
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
RUN_SERVICE = REPO / "tools" / "service" / "run_service.py"
QXSCRAMBLE = None
FIRM = "Mizarstvo Žagar in Kovačič d.o.o."


def client_context(certificate, version=None):
    """A client that trusts the service's certificate, limited to one TLS version."""
    context = ssl.create_default_context(cafile=certificate)
    context.set_ciphers("DEFAULT:@SECLEVEL=0")
    if version:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)  # TLS 1.0 and 1.1 are what is tested
            context.minimum_version = context.maximum_version = version
    return context


def descramble(text):
    return subprocess.run([QXSCRAMBLE, "-d", text], capture_output=True, text=True, check=True).stdout[:-1]


def alive(pid):
    try:
        return not Path(f"/proc/{pid}/stat").read_text().split(") ")[-1].startswith("Z")
    except OSError:
        return False


def refuses(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=2).close()
        return False
    except OSError:
        return True


class BackgroundService(unittest.TestCase):
    """`start` in the background, the checks, then `stop`."""

    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory(prefix="qx-service-")
        cls.state = Path(cls.temp.name) / "state"
        started = cls.command("start")
        cls.exports = dict(line[len("export "):].split("=", 1) for line in started.stdout.splitlines())
        cls.service = json.loads((cls.state / "service.json").read_text())
        cls.context = client_context(cls.service["certificate"])

    @classmethod
    def tearDownClass(cls):
        cls.command("stop")
        cls.temp.cleanup()

    @classmethod
    def command(cls, name):
        return subprocess.run([sys.executable, str(RUN_SERVICE), name, "--dir", str(cls.state),
                               "--qxscramble", QXSCRAMBLE], capture_output=True, text=True, check=True, timeout=60)

    def fetch(self, url, context=None):
        with urllib.request.urlopen(url, context=context or self.context, timeout=10) as answer:
            return answer.read()

    def test_environment_names_the_web_roots(self):
        self.assertEqual(set(self.exports), {"QX_HTTPS_ROOT", "QX_HTTP_ROOT", "QX_UPDATE_ROOT"})
        self.assertTrue(self.exports["QX_HTTPS_ROOT"].startswith("https://127.0.0.1:"))
        self.assertTrue(self.exports["QX_HTTP_ROOT"].startswith("http://127.0.0.1:"))
        self.assertEqual(self.exports["QX_UPDATE_ROOT"], self.exports["QX_HTTP_ROOT"])

    def test_descriptors_over_https_and_the_http_fallback(self):
        https, http = self.exports["QX_HTTPS_ROOT"], self.exports["QX_HTTP_ROOT"]
        s = self.service
        expected = {
            "qfd.ftp": f"127.0.0.1;{s['ftp_user']};{s['ftp_password']};{s['ftp_port']};",
            "vortane.email": "\x01".join(["127.0.0.1", s["smtp_user"], s["smtp_password"], str(s["smtp_port"]),
                                          "2", "2"]),
        }
        for name, plain in expected.items():
            for url in (f"{https}/prenos/{name}", f"{http}/ftp/{name}"):
                with self.subTest(url=url):
                    body = self.fetch(url).decode("ascii")
                    self.assertRegex(body, r"^([0-9A-F]{2})+$", "bare hexadecimal pairs")
                    self.assertEqual(descramble(body), plain)

    def test_https_speaks_tls_1_0_to_1_2(self):
        url = self.exports["QX_HTTPS_ROOT"] + "/prenos/qfd.ftp"
        for version in (ssl.TLSVersion.TLSv1, ssl.TLSVersion.TLSv1_1, ssl.TLSVersion.TLSv1_2):
            with self.subTest(version=version.name):
                self.assertTrue(self.fetch(url, client_context(self.service["certificate"], version)))

    def test_update_information_offers_no_newer_version(self):
        text = self.fetch(self.exports["QX_UPDATE_ROOT"] + "/prenos/qfd/qx.inf").decode("cp1250")
        self.assertIn("#version=3.0.23\r\n", text)
        self.assertNotIn("#url", text.lower())

    def test_missing_file_is_an_error_status(self):
        with self.assertRaises(urllib.error.HTTPError) as raised:
            self.fetch(self.exports["QX_HTTPS_ROOT"] + "/ftp/qfd.ftp")
        self.assertEqual(raised.exception.code, 404)

    def test_ftp_login_service_folder_mail_file_and_upload(self):
        s = self.service
        with ftplib.FTP() as ftp:
            ftp.connect("127.0.0.1", s["ftp_port"], timeout=10)
            ftp.login(s["ftp_user"], s["ftp_password"])
            self.assertIn((s["service_folder"], "dir"), [(n, f["type"]) for n, f in ftp.mlsd()])
            ftp.cwd(s["service_folder"])
            mail_file = io.BytesIO()
            ftp.retrbinary(f"RETR {s['service_folder']}.mail", mail_file.write)
            self.assertEqual(mail_file.getvalue().decode().splitlines()[0], s["notice_address"])
            ftp.storbinary("STOR 24321788a.zip", io.BytesIO(b"PK\x05\x06" + bytes(18)))
            self.assertIn(("24321788a.zip", "file"), [(n, f["type"]) for n, f in ftp.mlsd()])
        self.assertTrue((Path(s["ftp_home"]) / s["service_folder"] / "24321788a.zip").is_file())
        with ftplib.FTP() as ftp:
            ftp.connect("127.0.0.1", s["ftp_port"], timeout=10)
            with self.assertRaises(ftplib.error_perm):
                ftp.login(s["ftp_user"], "napačno geslo")

    def test_notice_over_starttls_with_auth_login(self):
        s = self.service
        notice = EmailMessage()
        notice["From"] = f"{FIRM} <prenos@example.com>"
        notice["To"] = s["notice_address"]
        notice["Subject"] = f"Podatki stranke {FIRM}, izdani do 31.12.2025"
        notice.set_content("Na FTP strežnik so bili prepisani podatki.<br/>", subtype="html", charset="utf-8")
        with smtplib.SMTP("127.0.0.1", s["smtp_port"], timeout=10) as smtp:
            smtp.ehlo()
            self.assertFalse(smtp.has_extn("auth"), "AUTH only after STARTTLS")
            smtp.starttls(context=self.context)
            smtp.ehlo()
            self.assertIn("LOGIN", smtp.esmtp_features["auth"].split())
            smtp.user, smtp.password = s["smtp_user"], s["smtp_password"]
            smtp.auth("LOGIN", smtp.auth_login)
            smtp.send_message(notice)
        stored = sorted(Path(s["mail_folder"]).glob("*.eml"))
        self.assertEqual(len(stored), 1)
        received = email.message_from_bytes(stored[0].read_bytes(), policy=email.policy.default)
        self.assertEqual(received["Subject"], notice["Subject"])
        envelope = json.loads(stored[0].with_suffix(".json").read_text())
        self.assertEqual((envelope["login"], envelope["tls"]), (s["smtp_user"], True))
        self.assertIn(f"Subject: {notice['Subject']}", self.wait_for_log(notice["Subject"]))

    def test_smtp_refuses_mail_without_login(self):
        with smtplib.SMTP("127.0.0.1", self.service["smtp_port"], timeout=10) as smtp:
            smtp.starttls(context=self.context)
            with self.assertRaises(smtplib.SMTPSenderRefused):
                smtp.sendmail("prenos@example.com", [self.service["notice_address"]], b"Subject: x\r\n\r\nx\r\n")

    def wait_for_log(self, text):
        log = self.state / "service.log"
        for _ in range(50):
            content = log.read_text(encoding="utf-8")
            if text in content:
                return content
            time.sleep(0.1)
        return log.read_text(encoding="utf-8")


class ForegroundService(unittest.TestCase):
    """`run` in the foreground with implicit TLS: READY line, one notice, SIGTERM."""

    def test_runs_until_sigterm_and_leaves_nothing(self):
        with tempfile.TemporaryDirectory(prefix="qx-service-") as temp:
            state = Path(temp)
            child = subprocess.Popen([sys.executable, str(RUN_SERVICE), "run", "--dir", str(state), "--qxscramble",
                                      QXSCRAMBLE, "--smtp-tls", "implicit"], stdout=subprocess.PIPE, text=True)
            try:
                ready = child.stdout.readline()
                self.assertRegex(ready, r"^READY \d+\n$")
                environment = dict(child.stdout.readline().rstrip("\n").split("=", 1) for _ in range(3))
                self.assertEqual(environment["QX_HTTPS_ROOT"], f"https://127.0.0.1:{ready.split()[1]}")
                service = json.loads((state / "service.json").read_text())
                plain = descramble(urllib.request.urlopen(environment["QX_HTTP_ROOT"] + "/ftp/vortane.email",
                                                          timeout=10).read().decode())
                self.assertEqual(plain.split("\x01")[4:], ["1", "2"], "implicit TLS, TLS 1.2")
                with smtplib.SMTP_SSL("127.0.0.1", service["smtp_port"], timeout=10,
                                      context=client_context(service["certificate"])) as smtp:
                    smtp.user, smtp.password = service["smtp_user"], service["smtp_password"]
                    smtp.ehlo()
                    smtp.auth("LOGIN", smtp.auth_login)
                    smtp.sendmail("prenos@example.com", [service["notice_address"]],
                                  "Subject: =?UTF-8?B?xI3FocW+?=\r\n\r\nx\r\n".encode())
                told = []
                while "Subject:" not in "".join(told) and len(told) < 30:
                    told.append(child.stdout.readline())
                self.assertIn("Subject: čšž", "".join(told))
                ports = [service[k] for k in ("ftp_port", "smtp_port")] + [
                    int(environment[k].rsplit(":", 1)[1]) for k in ("QX_HTTPS_ROOT", "QX_HTTP_ROOT")]
            finally:
                child.send_signal(signal.SIGTERM)
                code = child.wait(timeout=5)
                child.stdout.close()
            self.assertEqual(code, 0)
            self.assertTrue(all(refuses(port) for port in ports))
            self.assertFalse((state / "service.json").exists())


class StopLeavesNothing(unittest.TestCase):
    def test_stop_ends_the_background_process(self):
        with tempfile.TemporaryDirectory(prefix="qx-service-") as temp:
            state = Path(temp) / "state"
            arguments = [sys.executable, str(RUN_SERVICE), "start", "--dir", str(state), "--qxscramble", QXSCRAMBLE]
            subprocess.run(arguments, check=True, capture_output=True, timeout=60)
            pid = int((state / "service.pid").read_text())
            again = subprocess.run(arguments, check=True, capture_output=True, text=True, timeout=60)
            self.assertIn("already runs", again.stderr)
            self.assertTrue(alive(pid))
            arguments[2] = "stop"
            subprocess.run(arguments, check=True, capture_output=True, timeout=60)
            self.assertFalse(alive(pid))
            self.assertFalse((state / "service.pid").exists())
            self.assertIn("STOPPED", (state / "service.log").read_text())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--qxscramble", required=True)
    args, rest = parser.parse_known_args()
    QXSCRAMBLE = os.path.abspath(args.qxscramble)
    unittest.main(argv=[sys.argv[0], *rest])
