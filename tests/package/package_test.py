#!/usr/bin/python3
"""What a Windows user downloads: the portable zip read by unzip, and the installer run under
Wine in a prefix of its own: silent install, a whole qxbatch.exe transfer from the installed
folder to the stand-in service, silent uninstall.

    package_test.py SOURCE_DIR BINARY_DIR WINDOWS_BUILD_DIR [TEST ...]

BINARY_DIR is the native build (qxscramble, for the sample and the stand-in service);
WINDOWS_BUILD_DIR holds bin/ (the inputs), generated/version.nsh and package/ (the packages).
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile
from pathlib import Path

SOURCE = Path(sys.argv[1]).resolve()
BINARY = Path(sys.argv[2]).resolve()
WINDOWS_BUILD = Path(sys.argv[3]).resolve()
sys.path.insert(0, str(SOURCE / "tests/e2e"))
import transfer_test as e2e  # noqa: E402  (reads the same first two arguments)

MAKE_PACKAGES = SOURCE / "packaging/windows/make-packages"
INPUTS = WINDOWS_BUILD / "bin"
PACKAGES = WINDOWS_BUILD / "package"
# Prints the texts of another program's windows, as the window tests read them.
WINDOW_READER = INPUTS / "window_text_reader.exe"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\qx"
PROGRAMS = ["qx.exe", "qxbatch.exe", "BERIME.txt"]


def project_version():
    """The one place the version comes from."""
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\(qx VERSION (\d+\.\d+\.\d+\.\d+)", text).group(1)


def package_version():
    return project_version().rsplit(".", 1)[0]


def packaged(suffix):
    return PACKAGES / f"qx-{package_version()}-{suffix}"


def fixed_file_version(exe):
    return fixed_version_of_bytes(Path(exe).read_bytes())


def fixed_version_of_bytes(data):
    """FILEVERSION of an executable's version resource (VS_FIXEDFILEINFO after its signature)."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    most, least = struct.unpack_from("<II", data, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def zip_listing(archive):
    """The names unzip lists."""
    listing = subprocess.run(["unzip", "-Z1", archive], check=True, capture_output=True, text=True).stdout
    return sorted(listing.split())


def files_of(folder):
    return {str(p.relative_to(folder)): p.read_bytes() for p in folder.rglob("*") if p.is_file()}


def expected_files():
    extra = ["qx.chm"] if (INPUTS / "qx.chm").exists() else []
    return sorted(PROGRAMS + extra)


class PortableZipTest(unittest.TestCase):
    def test_unzip_lists_exactly_the_programs_the_read_me_and_a_supplied_help_file(self):
        archive = packaged("windows-x64.zip")
        self.assertEqual(zip_listing(archive), expected_files())
        subprocess.run(["unzip", "-tq", archive], check=True, capture_output=True)

    def test_the_read_me_opens_in_notepad_as_slovenian_text(self):
        with zipfile.ZipFile(packaged("windows-x64.zip")) as packed:
            data = packed.read("BERIME.txt")
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"))
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "a line ends without CR")
        text = data.decode("utf-8")
        for needed in ("qxbatch.exe", r"%LOCALAPPDATA%\Programs\qx", "qx.chm", "Začni"):
            self.assertIn(needed, text)

    def test_versions_come_from_the_project_version(self):
        self.assertEqual(fixed_file_version(packaged("setup.exe")), project_version())
        with zipfile.ZipFile(packaged("windows-x64.zip")) as packed:
            for name in ("qx.exe", "qxbatch.exe"):
                self.assertEqual(fixed_version_of_bytes(packed.read(name)), project_version(), name)


class MakePackagesTest(unittest.TestCase):
    """make-packages on inputs of its own: what goes in, and when nothing may come out."""

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="qxpkg-"))
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.version = self.folder / "version.nsh"
        self.version.write_text('!define QX_VERSION "9.8.7.6"\n!define QX_PACKAGE_VERSION "9.8.7"\n')
        self.output = self.folder / "out"
        self.output.mkdir()

    def make(self, inputs):
        folder = self.folder / "in"
        folder.mkdir()
        for name in inputs:
            if name.endswith(".exe"):  # any real program of the build does here
                shutil.copy(INPUTS / "upgrader.exe", folder / name)
            else:
                (folder / name).write_bytes(b"stand-in for " + name.encode())
        return subprocess.run([MAKE_PACKAGES, folder, self.version, self.output], capture_output=True, text=True)

    def test_the_inputs_decide_what_goes_in(self):
        cases = [
            (["qx.exe", "qxbatch.exe"], PROGRAMS),
            (["qx.exe", "qxbatch.exe", "qx.chm"], PROGRAMS + ["qx.chm"]),
            (["qx.exe", "qxbatch.exe", "upgrader.exe", "qxscramble.exe"], PROGRAMS),
        ]
        for inputs, files in cases:
            with self.subTest(inputs=inputs):
                shutil.rmtree(self.folder / "in", ignore_errors=True)
                result = self.make(inputs)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(zip_listing(self.output / "qx-9.8.7-windows-x64.zip"), sorted(files))
                self.assertEqual(fixed_file_version(self.output / "qx-9.8.7-setup.exe"), "9.8.7.6")
                self.assertEqual(sorted(p.name for p in self.output.iterdir()),
                                 ["qx-9.8.7-setup.exe", "qx-9.8.7-windows-x64.zip"])

    def test_a_missing_program_makes_no_package_and_removes_the_old_one(self):
        for missing in ("qx.exe", "qxbatch.exe"):
            with self.subTest(missing=missing):
                shutil.rmtree(self.folder / "in", ignore_errors=True)
                for old in ("qx-9.8.7-setup.exe", "qx-9.8.7-windows-x64.zip"):
                    (self.output / old).write_bytes(b"from an earlier run")
                result = self.make([p for p in ("qx.exe", "qxbatch.exe") if p != missing])
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(f"{missing} is missing", result.stderr)
                self.assertEqual(list(self.output.iterdir()), [])


class Wine:
    """A Wine prefix of the tests' own, so the installer meets a user who has never had qx,
    and the sample installation."""

    def __init__(self):
        self.folder = Path(tempfile.mkdtemp(prefix="qxwine-"))
        self.environment = dict(os.environ, WINEPREFIX=str(self.folder / "prefix"), WINEDEBUG="-all",
                                WINEDLLOVERRIDES="mscoree,mshtml=")
        try:
            self.start()
        except BaseException:
            self.close()
            raise

    def start(self):
        self.environment["DISPLAY"] = self.start_display()
        # One server for every program below: starting one each time costs seconds.
        quiet = dict(env=self.environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, timeout=300)
        Path(self.environment["WINEPREFIX"]).mkdir()
        subprocess.run(["wineserver", "-p"], check=True, **quiet)
        subprocess.run(["wineboot", "-i"], **quiet)
        self.local_app_data = self.output("wine", "cmd", "/c", "echo %LOCALAPPDATA%")
        # The KERNO installation that every transfer starts from a copy of.
        self.sample = self.folder / "sample"
        subprocess.run([e2e.PYTHON, SOURCE / "tools/sample/make_sample.py", self.sample,
                        "--qxscramble", BINARY / "bin/qxscramble"], check=True, capture_output=True)

    def start_display(self):
        """A virtual screen for the windows; Xvfb writes its display number when it is ready."""
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=[write_end], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            return ":" + announced.readline().strip()

    def run(self, *command, environment=None, **options):
        # Output through files, not pipes: a service of the prefix that a program starts keeps
        # the handles it inherited, and a pipe would never end.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            ended = subprocess.run(command, env=dict(self.environment, **(environment or {})), stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=err, timeout=300, **options)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(command, ended.returncode, out.read().decode("utf-8", "replace"),
                                               err.read().decode("utf-8", "replace"))

    def output(self, *command):
        result = self.run(*command)
        if result.returncode != 0:
            raise RuntimeError(f"{command}: {result.stdout}{result.stderr}")
        return result.stdout.strip()

    def unix(self, windows_path):
        return Path(self.output("winepath", "-u", windows_path))

    def windows(self, path):
        return self.output("winepath", "-w", path)

    def registry(self, key):
        """The values of a key, or None when it does not exist."""
        result = self.run("wine", "reg", "query", key)
        if result.returncode != 0:
            if "Unable to find" in result.stdout + result.stderr:
                return None
            raise RuntimeError(f"reg query {key}: {result.stdout}{result.stderr}")
        values = {}
        for line in result.stdout.splitlines():
            parts = re.split(r" {4}", line.strip("\r").strip(" "), maxsplit=2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2]
        return values

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.environment)
        if getattr(self, "xvfb", None):
            self.xvfb.terminate()
            self.xvfb.wait(10)
        shutil.rmtree(self.folder, ignore_errors=True)


wine = None


def setUpModule():
    global wine
    wine = Wine()
    unittest.addModuleCleanup(wine.close)


class InstalledProgram:
    """Installs silently, and knows where the installer says it put the program."""

    def install(self):
        result = wine.run("wine", packaged("setup.exe"), "/S")
        if result.returncode != 0:
            raise RuntimeError("the silent install failed: " + result.stdout + result.stderr)
        self.entry = wine.registry(UNINSTALL_KEY)
        self.folder = wine.unix(self.entry["InstallLocation"])
        self.shortcut = wine.unix(wine.output("wine", "cmd", "/c", "echo %APPDATA%")) / \
            "Microsoft/Windows/Start Menu/Programs/qx.lnk"

    def uninstall(self):
        command = self.entry["QuietUninstallString"]
        program, arguments = re.fullmatch(r'"([^"]+)"(.*)', command).groups()
        result = wine.run("wine", program, *arguments.split())
        # The uninstaller goes on from a copy of itself after the started one ends; dropping
        # the entry is its last step.
        deadline = time.monotonic() + 120
        while wine.registry(UNINSTALL_KEY) is not None and time.monotonic() < deadline:
            time.sleep(0.5)
        return result

    def installation_and_service(self, test):
        """A copy of the sample installation, the stand-in service (the notice over STARTTLS, through
        the system's TLS) and the environment that points the program there."""
        scratch = Path(tempfile.mkdtemp(prefix="qxinst-"))
        test.addCleanup(shutil.rmtree, scratch, ignore_errors=True)
        root = scratch / "kerno"
        shutil.copytree(wine.sample, root, copy_function=shutil.copy2)
        service = e2e.StandInService(scratch / "service")
        test.addCleanup(service.stop)
        return root, service, dict(VORTANE=wine.windows(root) + "\\", **service.environment)

    def transfer(self, test, user):
        """A whole qxbatch.exe transfer from the installed folder, started there as the shortcut
        starts the program."""
        root, service, environment = self.installation_and_service(test)
        result = wine.run("wine", self.folder / "qxbatch.exe", user, cwd=self.folder, environment=environment)
        return root, service, result


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.program = InstalledProgram()
        cls.program.install()

    def test_installs_per_user_into_the_users_programs_folder_without_elevation(self):
        self.assertEqual(self.program.entry["InstallLocation"], wine.local_app_data + r"\Programs\qx")
        for name in expected_files():
            self.assertTrue((self.program.folder / name).is_file(), name)
        with zipfile.ZipFile(packaged("windows-x64.zip")) as packed:
            for name in expected_files():
                self.assertEqual((self.program.folder / name).read_bytes(), packed.read(name), name)
        manifest = packaged("setup.exe").read_bytes()
        self.assertRegex(manifest, rb'requestedExecutionLevel level="asInvoker"')

    def test_the_start_menu_shortcut_starts_the_installed_program(self):
        link = self.program.shortcut.read_bytes()
        target = (self.program.entry["InstallLocation"] + r"\qx.exe").encode("ascii")
        self.assertTrue(target in link or target.decode().encode("utf-16-le") in link, link)

    def test_the_list_of_installed_programs_has_the_entry(self):
        entry = self.program.entry
        self.assertEqual(entry["DisplayName"], "qx - priprava podatkov za prenos")
        self.assertEqual(entry["DisplayVersion"], project_version())
        uninstaller = re.fullmatch(r'"([^"]+)"', entry["UninstallString"]).group(1)
        self.assertEqual(entry["QuietUninstallString"], f'"{uninstaller}" /S')
        self.assertTrue(wine.unix(uninstaller).is_file())

    def test_a_whole_transfer_from_the_installed_folder(self):
        root, service, result = self.program.transfer(self, "FIRMA.P")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn(e2e.SUCCESS, result.stdout)
        self.assertEqual(len(service.uploads()), 1)
        self.assertEqual(service.uploads()[0].read_bytes(), (root / "PRENOS/FIRMAP.ZIP").read_bytes())
        # The work folder beside the installed program: the folder is the user's to write.
        self.assertTrue(list((self.program.folder / "TEMP").glob("*.dbf")))
        notices = service.notices()
        self.assertEqual(len(notices), 1, result.stdout)
        self.assertTrue(str(notices[0]["Subject"]).startswith("Podatki stranke "))


    def test_the_installed_qx_exe_shows_its_main_window(self):
        self.assertTrue(WINDOW_READER.exists(), f"{WINDOW_READER} is not built")
        root, _, environment = self.program.installation_and_service(self)
        program = subprocess.Popen(["wine", self.program.folder / "qx.exe"], cwd=self.program.folder,
                                   env=dict(wine.environment, **environment), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: program.poll() is None and (program.kill(), program.wait(10)))
        for _ in range(240):
            shown = wine.run("wine", WINDOW_READER, "Priprava podatkov za prenos")
            if shown.returncode == 0:
                break
            self.assertIsNone(program.poll(), "qx.exe ended without showing its window")
            time.sleep(0.5)
        lines = shown.stdout.splitlines()
        self.assertIn("Začni", lines)
        self.assertIn(wine.windows(root).upper() + "\\", lines)
        # The label reads the installed program's own version resource.
        self.assertIn("V" + package_version(), lines)


class UninstallerTest(unittest.TestCase):
    def test_the_silent_uninstall_removes_the_program_and_leaves_the_users_files(self):
        cases = [
            ("nothing of the user's in the program folder", [], False),
            ("the user's own mail program beside it", ["VorMail.exe"], True),
        ]
        for name, own_files, folder_stays in cases:
            with self.subTest(name):
                program = InstalledProgram()
                program.install()
                root, service, result = program.transfer(self, "FIRMA.P")
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                # What the program wrote beside itself goes too.
                self.assertTrue((program.folder / "TEMP").is_dir())
                for own in own_files:
                    (program.folder / own).write_bytes(b"the user's")
                output = files_of(root / "PRENOS")
                self.assertTrue(output)

                result = program.uninstall()
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                left = sorted(p.name for p in program.folder.rglob("*")) if program.folder.exists() else []
                self.assertEqual(left, sorted(own_files))
                self.assertEqual(program.folder.exists(), folder_stays)
                self.assertFalse(program.shortcut.exists())
                self.assertIsNone(wine.registry(UNINSTALL_KEY))
                self.assertEqual(files_of(root / "PRENOS"), output)
                if folder_stays:
                    shutil.rmtree(program.folder)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:], verbosity=2)  # more arguments name the tests to run
