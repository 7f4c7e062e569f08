"""What the service's web roots publish: the scrambled account descriptors and the
update information file with the maker's signature beside it.

    https root: /prenos/qfd.ftp, /prenos/vortane.email, /prenos/qfd/qx.inf, /prenos/qfd/qx.inf.sig
    http root:  the same, and the same again under /ftp/ (the program's fallback)
"""

import shutil
import subprocess
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DEFAULT_QXSIGN = ROOT / "build" / "bin" / "qxsign"
# The tests' maker key, whose public half a build has built in unless it was configured otherwise.
DEFAULT_SIGNING_KEY = ROOT / "tests" / "update" / "keys" / "maker_test.pem"

# The program's own version in this build; offering it means "no newer version".
CURRENT_VERSION = "3.0.23"
FIELD_SEPARATOR_MAIL = "\x01"


def ftp_descriptor(host, user, password, port, root=""):
    """Plain text of qfd.ftp: streznik;prijava;geslo;vrata;root."""
    return ";".join([host, user, password, str(port), root])


def mail_descriptor(host, user, password, port, encryption, tls_version):
    """Plain text of vortane.email: streznik, prijava, geslo, vrata, sifriranje, ssl."""
    return FIELD_SEPARATOR_MAIL.join([host, user, password, str(port), str(encryption), str(tls_version)])


def update_information(version, http_root, upgrade_file=None):
    """qx.inf; a download key only when there is a file to offer."""
    lines = ["[qx]", f"#version={version}", "#date=12/31/2025"]
    if upgrade_file:
        lines.append(f"#url1={http_root}/prenos/qfd/{upgrade_file.name}")
        lines.append("#message={Nova verzija programa qx.}")
    return ("\r\n".join(lines) + "\r\n").encode("cp1250")


def sign_information(information, upgrade_file, qxsign, key):
    """qx.inf as the maker's tool leaves it (with the size and hash of the offered file) and
    its signature; None for the signature when the tool is not built."""
    if not Path(qxsign).is_file():
        return information, None
    with tempfile.TemporaryDirectory() as folder:
        path = Path(folder) / "qx.inf"
        path.write_bytes(information)
        files = upgrade_file.resolve().parent if upgrade_file else Path(folder)
        subprocess.run([str(qxsign), "--key", str(key), "--files", str(files), str(path)],
                       check=True, stdout=subprocess.DEVNULL)
        return path.read_bytes(), (Path(folder) / "qx.inf.sig").read_bytes()


def publish(https_root, http_root_folder, scrambler, ftp_text, mail_text, information, upgrade_file=None,
            qxsign=DEFAULT_QXSIGN, signing_key=DEFAULT_SIGNING_KEY):
    """Writes the files into both web roots; the descriptor bodies are the bare
    hexadecimal digits, without a line break."""
    information, signature = sign_information(information, upgrade_file, qxsign, signing_key)
    files = {
        "qfd.ftp": scrambler.scramble(ftp_text).encode("ascii"),
        "vortane.email": scrambler.scramble(mail_text).encode("ascii"),
        "qfd/qx.inf": information,
    }
    if signature is not None:
        files["qfd/qx.inf.sig"] = signature
    for folder in (https_root / "prenos", http_root_folder / "prenos", http_root_folder / "ftp"):
        (folder / "qfd").mkdir(parents=True, exist_ok=True)
        for name, body in files.items():
            (folder / name).write_bytes(body)
        if upgrade_file:
            shutil.copyfile(upgrade_file, folder / "qfd" / upgrade_file.name)
