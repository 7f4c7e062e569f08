"""The scrambled form of a text, made by build/bin/qxscramble so that the sample data
and the stand-in service use the very constants the program is built with."""

import subprocess
from pathlib import Path

REPO_ROOT = Path(__file__).resolve().parents[2]
DEFAULT_QXSCRAMBLE = REPO_ROOT / "build" / "bin" / "qxscramble"


class Scrambler:
    def __init__(self, executable=None):
        self.executable = Path(executable) if executable else DEFAULT_QXSCRAMBLE
        if not self.executable.is_file():
            raise SystemExit(f"{self.executable} not found: build it with "
                             "cmake --build build --target qxscramble, or pass --qxscramble PATH")

    def scramble(self, text):
        return self._run(["--", text])

    def descramble(self, scrambled):
        return self._run(["-d", "--", scrambled])

    def _run(self, arguments):
        done = subprocess.run([str(self.executable), *arguments], capture_output=True, check=True)
        return done.stdout.decode("utf-8").rstrip("\n")
