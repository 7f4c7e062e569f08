#!/usr/bin/python3
"""A whole transfer through qxbatch against the stand-in service, side by side with what an
office would script for the same job on the same tables and servers: a date filter with
python3-dbf, zip -6 -P, unzip -t and curl -T into the same FTP folder. Not a test.

    bench_transfer.py BINARY_DIR [--megabytes 260] [--folder DIR]

The sample installation's date-mode company (DRUGA._G, every dated table selected) has its
dated tables grown to the size asked for by repeating their records. Prints each phase's
time (copy, pack, check, upload) for both and the ratio of the wholes.
"""
import argparse
import datetime
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import dbf

SOURCE = Path(__file__).resolve().parents[2]
PYTHON = "/usr/bin/python3"
USER = "DRUGA._G"
# The dated tables and the field each one's filter tests.
DATE_FIELDS = {"RACN": "racndatu", "RACP": "racpdatu", "GOTG": "racndatu", "GOTP": "racpdatu", "STRO": "strodatd",
               "PTNL": "ptnldtrz", "KNZR": "knzrdati", "PRAC": "pracdatu", "PRAP": "prapdatu"}
# The progress lines of qxbatch where each phase begins; the run's end closes the last.
PHASES = [("copy", None), ("pack", "Stiskanje podatkov"), ("check", "Kontrola zapisa..."),
          ("upload", "Prepis podatkov na FTP strežnik..."), ("rest", "Konec prepisovanja...")]


def grow_table(path, factor):
    """Repeats the records of a DBF table `factor` times (header count updated, end mark kept)."""
    data = path.read_bytes()
    count, header_length, record_length = struct.unpack_from("<IHH", data, 4)
    records = data[header_length:header_length + count * record_length]
    with path.open("wb") as out:
        out.write(data[:4] + struct.pack("<I", count * factor) + data[8:header_length])
        for _ in range(factor):
            out.write(records)
        out.write(b"\x1a")


def grow_company(folder, megabytes):
    dated = [folder / f"{name}.DBF" for name in DATE_FIELDS if (folder / f"{name}.DBF").is_file()]
    undated = sum(p.stat().st_size for p in folder.glob("*.DBF") if p not in dated)
    current = sum(p.stat().st_size for p in dated)
    factor = max(1, -(-(megabytes * 1_000_000 - undated) // current))
    for path in dated:
        grow_table(path, factor)
    return sum(p.stat().st_size for p in folder.glob("*.DBF")) / 1e6


def archive_password(binary):
    scrambled = re.search(r'"([0-9A-F]{34})"', (SOURCE / "run/ArchivePassword.cpp").read_text()).group(1)
    return subprocess.run([binary / "bin/qxscramble", "-d", scrambled], check=True, capture_output=True,
                          text=True).stdout.rstrip("\n")


def run_qxbatch(program, root, service_env, end_date):
    """Times from the start to each phase's first line and to the end of the run."""
    env = dict(os.environ, VORTANE=str(root) + "/", **service_env)
    env.pop("VOR_EXTMAIL", None)
    marks = {"copy": time.monotonic()}
    errors = tempfile.TemporaryFile(mode="w+")  # the progress bar and any error, apart from the log lines
    process = subprocess.Popen([program, USER, "--end-date", end_date], env=env, stdout=subprocess.PIPE,
                               stderr=errors, text=True)
    output = []
    for line in process.stdout:
        output.append(line)
        for phase, start in PHASES:
            if start and phase not in marks and line.strip() == start:
                marks[phase] = time.monotonic()
    process.wait()
    marks["end"] = time.monotonic()
    if process.returncode != 0 or len(marks) != len(PHASES) + 1:
        errors.seek(0)
        raise SystemExit("qxbatch failed:\n" + "".join(output) + errors.read())
    order = [phase for phase, _ in PHASES] + ["end"]
    times = {phase: marks[order[i + 1]] - marks[phase] for i, phase in enumerate(order[:-1])}
    return times


def office_script(root, work, password, start, end, ftp):
    """The same job as an office would script it, phase by phase."""
    times = {}
    folder = root / USER
    began = time.monotonic()
    work.mkdir()
    for name in ("POPA", "PERS", "VSTR", "ORGE", "MATE", "PTXT", *DATE_FIELDS):
        source = folder / f"{name}.DBF" if (folder / f"{name}.DBF").is_file() else root / f"{name}.DBF"
        if not source.is_file():
            continue
        target = work / f"{name.lower()}.dbf"
        if name not in DATE_FIELDS:
            shutil.copyfile(source, target)
            continue
        with dbf.Table(str(source)) as table:
            copy = table.new(str(target))
            with copy:
                for record in table:
                    if dbf.is_deleted(record):
                        continue
                    day = record[DATE_FIELDS[name]]
                    if day and start <= day <= end:
                        copy.append(record)
    times["copy"] = time.monotonic() - began

    archive = work.parent / "office.zip"
    began = time.monotonic()
    files = sorted(str(p) for p in work.glob("*.dbf"))
    subprocess.run(["zip", "-q", "-6", "-j", "-P", password, str(archive), *files], check=True)
    times["pack"] = time.monotonic() - began
    began = time.monotonic()
    subprocess.run(["unzip", "-qq", "-t", "-P", password, str(archive)], check=True)
    times["check"] = time.monotonic() - began
    began = time.monotonic()
    url = f"ftp://127.0.0.1:{ftp['ftp_port']}/SERVIS_NOVAK/office.zip"
    subprocess.run(["curl", "-sS", "--user", f"{ftp['ftp_user']}:{ftp['ftp_password']}", "-T", str(archive), url],
                   check=True)
    times["upload"] = time.monotonic() - began
    times["rest"] = 0.0  # the script sends no notice
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("binary", type=Path, help="the build folder (with bin/qxbatch and bin/qxscramble)")
    parser.add_argument("--megabytes", type=int, default=260, help="size of the company's tables (260)")
    parser.add_argument("--folder", type=Path, help="scratch folder (default: a new temporary one)")
    args = parser.parse_args()
    binary = args.binary.resolve()
    scratch = args.folder.resolve() if args.folder else Path(tempfile.mkdtemp(prefix="qx-transfer-bench-"))
    scratch.mkdir(parents=True, exist_ok=True)

    root = scratch / "kerno"
    subprocess.run([PYTHON, SOURCE / "tools/sample/make_sample.py", root, "--qxscramble", binary / "bin/qxscramble"],
                   check=True, capture_output=True)
    manifest = json.loads((root / "sample.json").read_text())
    company = next(c for c in manifest["companies"] if c["dir"] == USER)
    size = grow_company(root / USER, args.megabytes)
    start = datetime.date(company["last_year"], 1, 1)
    end = datetime.date(company["last_year"], 12, 31)
    print(f"{USER}: {size:.1f} MB of tables, documents from {start:%d.%m.%Y} to {end:%d.%m.%Y}")

    program = scratch / "bin" / "qxbatch"
    program.parent.mkdir(exist_ok=True)
    shutil.copy2(binary / "bin/qxbatch", program)
    state = scratch / "service"
    service = subprocess.Popen([PYTHON, SOURCE / "tools/service/run_service.py", "run", "--dir", state,
                                "--qxscramble", binary / "bin/qxscramble"], stdout=subprocess.PIPE, text=True)
    try:
        if not service.stdout.readline().startswith("READY"):
            raise SystemExit("the stand-in service did not start")
        details = json.loads((state / "service.json").read_text())
        service_env = dict(line.split("=", 1) for line in (state / "service.env").read_text().split())
        ours = run_qxbatch(program, root, service_env, f"{end:%d.%m.%Y}")
        office = office_script(root, scratch / "office", archive_password(binary), start, end, details)
    finally:
        service.terminate()
        service.wait(10)
        service.stdout.close()

    print(f"{'phase':<8} {'qxbatch':>9} {'office':>9} {'ratio':>7}")
    for phase, _ in PHASES:
        ratio = f"{office[phase] / ours[phase]:6.2f}x" if ours[phase] > 0 and office[phase] > 0 else "      -"
        print(f"{phase:<8} {ours[phase]:8.2f}s {office[phase]:8.2f}s {ratio}")
    whole_ours, whole_office = sum(ours.values()), sum(office.values())
    print(f"{'whole':<8} {whole_ours:8.2f}s {whole_office:8.2f}s {whole_office / whole_ours:6.2f}x")
    print(f"load average at the end: {os.getloadavg()[0]:.2f}")
    if not args.folder:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
