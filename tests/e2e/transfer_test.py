#!/usr/bin/python3
"""Whole transfers through qxbatch against the stand-in service on 127.0.0.1: the sample
installation, the export run, the archive, the check, the upload, the notice, the hand-off.

    transfer_test.py SOURCE_DIR BINARY_DIR [TEST ...]

With QX_WINDOWS_BIN set to the Windows build's bin folder, the same transfers run the
Windows qxbatch.exe under Wine (scripts/test-windows); the servers stay native.
"""
import datetime
import email
import email.header
import email.policy
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest
import zipfile
from pathlib import Path

SOURCE = Path(sys.argv[1]).resolve()
BINARY = Path(sys.argv[2]).resolve()
PYTHON = "/usr/bin/python3"
SUCCESS = "Prepis podatkov je uspešno končan."
FAILURE = "Prepis podatkov ni bil uspešen!"
TODAY = datetime.date.today().strftime("%d.%m.%Y")
WINDOWS_BIN = os.environ.get("QX_WINDOWS_BIN")


def archive_password():
    source = (SOURCE / "run/ArchivePassword.cpp").read_text()
    scrambled = re.search(r'"([0-9A-F]{34})"', source).group(1)
    return subprocess.run([BINARY / "bin/qxscramble", "-d", scrambled], check=True, capture_output=True).stdout.rstrip(b"\n")


def snapshot(root):
    """Bytes and times of the product's files in the data root, to prove a run never writes there.
    The default output folder PRENOS lies in the first root too; the archives go there."""
    return {str(p): (p.read_bytes(), p.stat().st_mtime_ns) for p in sorted(root.rglob("*"))
            if p.is_file() and "PRENOS" not in p.relative_to(root).parts}


class StandInService:
    def __init__(self, state):
        self.state = state
        self.process = subprocess.Popen(
            [PYTHON, SOURCE / "tools/service/run_service.py", "run", "--dir", state,
             "--qxscramble", BINARY / "bin/qxscramble"],
            stdout=subprocess.PIPE, text=True)
        ready = self.process.stdout.readline()
        if not ready.startswith("READY"):
            raise RuntimeError("the stand-in service did not start: " + ready)
        self.environment = dict(line.split("=", 1) for line in (state / "service.env").read_text().split())
        # The service's log, as it comes: which root served what, and over which scheme.
        self.log = []
        self.reader = threading.Thread(target=lambda: self.log.extend(iter(self.process.stdout.readline, "")))
        self.reader.start()

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.reader.join(10)
        self.process.stdout.close()

    def uploads(self):
        return sorted((self.state / "ftp/SERVIS_NOVAK").glob("*.zip"))

    def notices(self):
        return [email.message_from_bytes(p.read_bytes(), policy=email.policy.default)
                for p in sorted((self.state / "mail").glob("*.eml"))]


class TransferTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = Path(tempfile.mkdtemp(prefix="qxe2e-"))
        cls.sample = cls.scratch / "sample"
        subprocess.run([PYTHON, SOURCE / "tools/sample/make_sample.py", cls.sample,
                        "--qxscramble", BINARY / "bin/qxscramble"], check=True, capture_output=True)
        cls.manifest = json.loads((cls.sample / "sample.json").read_text())
        cls.password = archive_password()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(dir=self.scratch))
        self.root = self.folder / "kerno"
        shutil.copytree(self.sample, self.root, copy_function=shutil.copy2)
        # A program folder of the test's own: qx.ini, TEMP and VorMail.exe live beside the program.
        self.bin = self.folder / "bin"
        self.bin.mkdir()
        self.install_program()
        self.service = StandInService(self.folder / "service")
        self.addCleanup(self.service.stop)
        self.before = snapshot(self.root)

    def company(self, user):
        return next(c for c in self.manifest["companies"] if c["dir"] == user)

    # The program under test and how it is started; the Wine variant below replaces these.
    def install_program(self):
        shutil.copy2(BINARY / "bin/qxbatch", self.bin / "qxbatch")

    def command(self):
        return [self.bin / "qxbatch"]

    def root_text(self):
        return str(self.root) + "/"

    def qxbatch(self, *arguments, **environment):
        env = dict(os.environ, VORTANE=self.root_text(), **self.service.environment, **environment)
        if "VOR_EXTMAIL" not in environment:
            env.pop("VOR_EXTMAIL", None)
        result = subprocess.run([*self.command(), *arguments], env=env, capture_output=True, text=True,
                                timeout=300)
        self.assertTrue(snapshot(self.root) == self.before, "the run wrote into the data root")
        return result

    def assertArchiveHoldsTheCopies(self, archive):
        with zipfile.ZipFile(archive) as packed:
            names = sorted(packed.namelist())
            self.assertEqual(names, sorted(p.name for p in (self.bin / "TEMP").glob("*.dbf")))
            for name in names:
                self.assertEqual(packed.read(name, pwd=self.password), (self.bin / "TEMP" / name).read_bytes(), name)
        return names

    def test_ftp_delivery_with_the_notice(self):
        result = self.qxbatch("FIRMA.P")
        # Without the TLS library the notice cannot go: uploaded, but the service was not told.
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn(SUCCESS, result.stdout)
        for line in ("Prepis podatkov v delovno mapo", "Stiskanje podatkov", "Kontrola zapisa...",
                     "Prepis podatkov na FTP strežnik...", "Prijava na strežnik uspešna...", "Konec prepisovanja..."):
            self.assertIn(line, result.stdout)
        company = self.company("FIRMA.P")
        uploads = self.service.uploads()
        self.assertEqual([p.name for p in uploads], [company["tax_number"] + "A.zip"])
        self.assertIn("racn.dbf", self.assertArchiveHoldsTheCopies(uploads[0]))
        self.assertEqual(uploads[0].read_bytes(), (self.root / "PRENOS/FIRMAP.ZIP").read_bytes())

        # Both descriptors came from the HTTPS root; the plain-HTTP fallback was never needed.
        served = [line for line in self.service.log if line.startswith(("HTTPS ", "HTTP "))]
        for descriptor in ("/prenos/qfd.ftp", "/prenos/vortane.email"):
            self.assertTrue(any(line.startswith("HTTPS ") and f'"GET {descriptor} ' in line and '" 200 ' in line
                                for line in served), served)
        self.assertFalse([line for line in served if '"GET /ftp/' in line], served)

        # The stand-in requires STARTTLS for the notice.
        notices = self.service.notices()
        self.assertEqual(len(notices), 1, result.stdout)
        notice = notices[0]
        self.assertEqual(str(notice["Subject"]), f"Podatki stranke {company['firm']}, izdani do {TODAY}")
        self.assertEqual(notice["From"].addresses[0].display_name, company["firm"])
        self.assertEqual(notice["To"].addresses[0].addr_spec, "obvestila@servis-novak.example.com")
        self.assertIn(f"podatki stranke {company['firm']}, izdani do datuma {TODAY}.", notice.get_content())
        self.assertIn("Obvestilo o prepisu podatkov je bilo poslano", result.stdout)

    def test_date_mode_with_an_end_date(self):
        result = self.qxbatch("DRUGA._G", "--end-date", "30.06.2025")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("RACN.DBF" + "." * 20, result.stdout)
        upload = self.service.uploads()[0]
        self.assertArchiveHoldsTheCopies(upload)
        with zipfile.ZipFile(upload) as packed:
            packed.extract("racn.dbf", self.folder, pwd=self.password)
        dates = subprocess.run(
            [PYTHON, "-c", "import dbfread,sys; print('\\n'.join(str(r['RACNDATU']) for r in "
                           "dbfread.DBF(sys.argv[1], encoding='cp852')))", self.folder / "racn.dbf"],
            check=True, capture_output=True, text=True).stdout.split()
        self.assertTrue(dates)
        self.assertTrue(all("2025-01-01" <= d <= "2025-06-30" for d in dates), dates)
        self.assertIn("2025-01-01", dates)

    def test_mail_delivery_through_the_external_mailer(self):
        record = self.folder / "request.ini"
        mailer = self.bin / "VorMail.exe"
        mailer.write_text(f"#!/bin/sh\ncp \"$1\" {record}\n")
        mailer.chmod(0o755)
        result = self.qxbatch("KOVINAR23.P", VOR_EXTMAIL="d")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        request = record.read_bytes().decode("cp1250")
        archive = self.root / "PRENOS/KOVINAR2.ZIP"
        self.assertIn("prejemnik=racunovodstvo@servis-novak.example.com", request)
        self.assertIn("predmet=Podatki od KOVINAR23.P", request)
        self.assertIn("steviloprilog=1", request)
        self.assertIn(f"priloga1={archive}", request)
        self.assertArchiveHoldsTheCopies(archive)
        self.assertEqual(self.service.uploads(), [])

    def test_a_missing_service_folder_fails_the_upload(self):
        shutil.rmtree(self.folder / "service/ftp/SERVIS_NOVAK")
        result = self.qxbatch("FIRMA.P")
        self.assertEqual(result.returncode, 1)
        self.assertIn("Izhodna mapa ne obstaja!\nPrepis podatkov ni bil uspešen.", result.stdout)
        self.assertIn(FAILURE, result.stdout)
        self.assertIn("Konec prepisovanja...", result.stdout)
        self.assertEqual(self.service.notices(), [])

    def test_an_upload_whose_notice_fails_has_its_own_exit_status(self):
        # Without the mail file the notice has no recipient, and the mail server refuses it.
        (self.folder / "service/ftp/SERVIS_NOVAK/SERVIS_NOVAK.mail").unlink()
        result = self.qxbatch("FIRMA.P")
        self.assertEqual(result.returncode, 3, result.stdout + result.stderr)
        self.assertEqual(len(self.service.uploads()), 1)
        self.assertEqual(self.service.notices(), [])
        self.assertIn(SUCCESS, result.stdout)

    def test_a_user_without_settings_is_refused(self):
        result = self.qxbatch("KOVINAR22.P")
        self.assertEqual(result.returncode, 1)
        self.assertIn("Ne najedem nastavitvene datoteke.", result.stdout)


@unittest.skipUnless(WINDOWS_BIN, "QX_WINDOWS_BIN names no Windows build")
class WineTransferTest(TransferTest):
    """The Windows qxbatch.exe under Wine, with the system's TLS (Wine's Schannel)."""

    def install_program(self):
        shutil.copy2(Path(WINDOWS_BIN) / "qxbatch.exe", self.bin / "qxbatch.exe")

    def command(self):
        return ["wine", self.bin / "qxbatch.exe"]

    def root_text(self):
        drive_path = subprocess.run(["winepath", "-w", self.root], check=True, capture_output=True, text=True)
        return drive_path.stdout.strip() + "\\"

    @unittest.skip("the external mailer would have to be a Windows program")
    def test_mail_delivery_through_the_external_mailer(self):
        pass


@unittest.skipUnless(WINDOWS_BIN and shutil.which("xdotool") and shutil.which("Xvfb"),
                     "needs the Windows build, Xvfb and xdotool")
class WineWindowTransferTest(WineTransferTest):
    """qx.exe under Wine and Xvfb, as a user runs it: a user picked, "Začni" clicked, the final
    message read back from its box by another program."""
    CAPTION = "Priprava podatkov za prenos"

    def install_program(self):
        shutil.copy2(Path(WINDOWS_BIN) / "qx.exe", self.bin / "qx.exe")
        self.reader = Path(WINDOWS_BIN) / "window_text_reader.exe"

    def start_display(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                                 "tcp"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            display = ":" + announced.readline().strip()
        self.addCleanup(lambda: (xvfb.terminate(), xvfb.wait(10)))
        return display

    def read_windows(self, *arguments):
        try:
            result = subprocess.run(["wine", self.reader, *arguments], env=self.env, capture_output=True,
                                    timeout=120)
        except subprocess.TimeoutExpired:  # Wine still starting its own services on a busy machine
            return None
        return result.stdout.decode("utf-8").splitlines() if result.returncode == 0 else None

    def wait_for(self, *arguments, seconds=240, until=lambda lines: True):
        for _ in range(seconds * 2):
            lines = self.read_windows(*arguments)
            if lines and until(lines):
                return lines
            self.assertIsNone(self.program.poll(), "qx.exe ended early")
            subprocess.run(["sleep", "0.5"])
        self.fail("no window " + " ".join(arguments))

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *arguments], env=self.env, check=True, timeout=30)

    def test_a_whole_transfer_started_from_the_window(self):
        display = self.start_display()
        self.env = dict(os.environ, DISPLAY=display, VORTANE=self.root_text(), **self.service.environment)
        self.env.pop("VOR_EXTMAIL", None)
        self.program = subprocess.Popen(["wine", self.bin / "qx.exe"], env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: self.program.poll() is None and (self.program.kill(), self.program.wait(10)))

        window = self.wait_for(self.CAPTION)
        self.assertIn("Začni", window)
        # The list has the focus: a typed letter picks the user, as the keyboard does on Windows.
        self.xdotool("search", "--sync", "--name", self.CAPTION, "windowfocus", "--sync")
        self.xdotool("type", "F")
        start = self.wait_for("--where", self.CAPTION, "Začni")[0].split()
        self.xdotool("mousemove", "--sync", start[0], start[1], "click", "1")

        # The notice goes over STARTTLS through the system's TLS; its box comes first.
        sent = "Obvestilo o prepisu podatkov je bilo poslano po elektronski pošti na naslov "
        box = self.wait_for(self.CAPTION, "#32770")
        self.assertTrue(any(line.startswith(sent) for line in box), box)
        self.xdotool("key", "Return")
        box = self.wait_for(self.CAPTION, "#32770", until=lambda lines: not any(sent in line for line in lines))
        self.assertIn(SUCCESS, box)
        self.assertIn("V redu", box)  # the system's own OK button, in Slovenian
        self.xdotool("key", "Return")
        leave = self.wait_for("--where", self.CAPTION, "Izhod")[0].split()
        self.xdotool("mousemove", "--sync", leave[0], leave[1], "click", "1")
        self.program.wait(120)
        self.assertTrue(snapshot(self.root) == self.before, "the run wrote into the data root")

        company = self.company("FIRMA.P")
        uploads = self.service.uploads()
        self.assertEqual([p.name for p in uploads], [company["tax_number"] + "A.zip"])
        self.assertIn("racn.dbf", self.assertArchiveHoldsTheCopies(uploads[0]))
        self.assertEqual(uploads[0].read_bytes(), (self.root / "PRENOS/FIRMAP.ZIP").read_bytes())
        self.assertEqual(len(self.service.notices()), 1)

    # The console program's transfers are WineTransferTest's.
    test_ftp_delivery_with_the_notice = None
    test_date_mode_with_an_end_date = None
    test_mail_delivery_through_the_external_mailer = None
    test_a_missing_service_folder_fails_the_upload = None
    test_an_upload_whose_notice_fails_has_its_own_exit_status = None
    test_a_user_without_settings_is_refused = None


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)  # more arguments name the tests to run
