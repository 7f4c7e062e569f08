"""Filtered copy of a RACN-like table: our engine (tools/dbfcopy) against a plain file
copy (cp, the I/O limit) and the same filter done with python3-dbf, in one run.

Usage: bench_tables.py <path to dbfcopy> [work folder] [records]
The table (1,000,000 records, ~200 MB, dates over 20 years) is written once by a raw
writer here and reused; one year of the twenty is selected. python3-dbf runs on a
50,000-record slice and its time is scaled to the whole table.
"""
import datetime
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import time

import dbf

FIELDS = [('RACNSTEV', 'C', 10, 0), ('RACNDATU', 'D', 8, 0), ('RACNPART', 'C', 40, 0), ('RACNOPIS', 'C', 80, 0),
          ('RACNZNES', 'N', 14, 2), ('RACNDDV', 'N', 14, 2), ('RACNVALU', 'C', 3, 0), ('RACNPLAC', 'D', 8, 0),
          ('RACNSTAT', 'C', 1, 0), ('RACNOPOM', 'C', 28, 0)]
START, END = '20150101', '20151231'
EXPRESSION = 'dtos(racndatu)>="%s".and.dtos(racndatu)<="%s"' % (START, END)
SLICE = 50_000


def write_table(path, records, seed=1):
    """A Visual FoxPro table without memo fields, ~1/50 of its records deleted."""
    rnd = random.Random(seed)
    record_length = 1 + sum(f[2] for f in FIELDS)
    header_length = 32 + 32 * len(FIELDS) + 1 + 263
    today = datetime.date.today()
    header = struct.pack('<BBBBIHH', 0x30, today.year % 100, today.month, today.day, records, header_length,
                         record_length) + bytes(16) + bytes([0, 0x64]) + bytes(2)
    offset = 1
    for name, kind, width, decimals in FIELDS:
        header += name.encode().ljust(11, b'\0') + kind.encode() + struct.pack('<I', offset) + bytes(
            [width, decimals]) + bytes(14)
        offset += width
    header += b'\r' + bytes(263)
    first = datetime.date(2005, 1, 1).toordinal()
    span = datetime.date(2024, 12, 31).toordinal() - first + 1
    with open(path, 'wb') as out:
        out.write(header)
        chunk = []
        for number in range(records):
            day = datetime.date.fromordinal(first + rnd.randrange(span)).strftime('%Y%m%d').encode()
            chunk.append(b''.join([
                b'*' if rnd.randrange(50) == 0 else b' ',
                str(number).encode().rjust(10), day, b'Kupec %-34d' % rnd.randrange(5000),
                b'Opis ra\x9funa %-68d' % number, b'%14.2f' % (rnd.randrange(10 ** 7) / 100),
                b'%14.2f' % (rnd.randrange(10 ** 6) / 100), b'EUR', day, b'Z', b' ' * 28]))
            assert len(chunk[-1]) == record_length
            if len(chunk) == 10_000:
                out.write(b''.join(chunk))
                chunk = []
        out.write(b''.join(chunk) + b'\x1a')


def timed(command):
    """(wall seconds, CPU seconds of the child): the machine may be shared, so both are shown."""
    started = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise SystemExit('%s failed' % command[0])
    return time.perf_counter() - started, usage.ru_utime + usage.ru_stime


def peak_memory_kb(command):
    result = subprocess.run(['/usr/bin/time', '-v'] + command, check=True, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    return int(re.search(r'Maximum resident set size \(kbytes\): (\d+)', result.stderr).group(1))


def python_dbf_filter(source, destination):
    started, cpu_started = time.perf_counter(), time.process_time()
    table = dbf.Table(source)
    table.open(dbf.READ_ONLY)
    copy = table.new(destination)
    copy.open(dbf.READ_WRITE)
    low, high = datetime.date(2015, 1, 1), datetime.date(2015, 12, 31)
    for record in table:
        if not dbf.is_deleted(record) and record.racndatu and low <= record.racndatu <= high:
            copy.append(record)
    copy.close()
    table.close()
    return time.perf_counter() - started, time.process_time() - cpu_started


def best_of(runs, action):
    results = [action() for _ in range(runs)]
    return min(r[0] for r in results), min(r[1] for r in results)


def main(argv):
    dbfcopy = os.path.abspath(argv[1])
    work = argv[2] if len(argv) > 2 else '/tmp/qx_bench_tables'
    records = int(argv[3]) if len(argv) > 3 else 1_000_000
    os.makedirs(work, exist_ok=True)
    source = os.path.join(work, 'RACN.DBF')
    slice_source = os.path.join(work, 'SLICE.DBF')
    if not os.path.exists(source) or struct.unpack('<I', open(source, 'rb').read(8)[4:8])[0] != records:
        print('writing %d records to %s ...' % (records, source), flush=True)
        write_table(source, records)
    if not os.path.exists(slice_source):
        write_table(slice_source, SLICE, seed=2)
    size = os.path.getsize(source)
    print('table: %d records, %.1f MB; filter: %s' % (records, size / 1e6, EXPRESSION))

    timed(['cat', source])  # the first read warms the page cache for every contestant
    plain = best_of(5, lambda: timed(['cp', source, os.path.join(work, 'plain.dbf')]))
    ours = best_of(5, lambda: timed([dbfcopy, source, os.path.join(work, 'racn.dbf'), EXPRESSION]))
    python_slice = python_dbf_filter(slice_source, os.path.join(work, 'slice_python.dbf'))
    python_whole = tuple(t * records / SLICE for t in python_slice)
    memory_small = peak_memory_kb([dbfcopy, slice_source, os.path.join(work, 'slice.dbf'), EXPRESSION])
    memory_large = peak_memory_kb([dbfcopy, source, os.path.join(work, 'racn.dbf'), EXPRESSION])

    mbps = lambda seconds: size / seconds / 1e6 if seconds > 0 else float('inf')
    print('%-30s %10s %10s %12s %12s' % ('', 'wall s', 'CPU s', 'MB/s wall', 'MB/s CPU'))
    for name, (wall, cpu) in (('plain copy (cp)', plain), ('our filtered copy (dbfcopy)', ours),
                              ('python3-dbf filtered copy', python_whole)):
        print('%-30s %10.3f %10.3f %12.1f %12.1f' % (name, wall, cpu, mbps(wall), mbps(cpu)))
    print('python3-dbf took %.2f s wall on a %d-record slice, scaled by %d/%d' % (
        python_slice[0], SLICE, records, SLICE))
    print('throughput ours / plain copy:  %.2fx wall, %.2fx CPU  (target >= 0.5x)' % (
        plain[0] / ours[0], plain[1] / max(ours[1], 1e-9)))
    print('throughput ours / python3-dbf: %.0fx wall, %.0fx CPU  (target >= 50x)' % (
        python_whole[0] / ours[0], python_whole[1] / max(ours[1], 1e-9)))
    print('peak memory of dbfcopy: %d kB on %d records, %d kB on %d records' % (
        memory_small, SLICE, memory_large, records))
    for name in ('plain.dbf', 'racn.dbf', 'slice.dbf', 'slice_python.dbf'):
        path = os.path.join(work, name)
        if os.path.exists(path):
            os.remove(path)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
