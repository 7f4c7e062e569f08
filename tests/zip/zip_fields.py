#!/usr/bin/python3
"""Independent reader of ZIP header fields for the archive tests.

Usage: zip_fields.py ARCHIVE PASSWORD
Prints one line per entry, key=value pairs separated by blanks, from the central
directory and the local header; decrypts the 12-byte encryption header with the
traditional PKWARE keys to show its last two bytes. Last line: the end record.
"""
import struct
import sys
import zlib


def crc_step(crc, byte):
    return zlib.crc32(bytes([byte]), crc ^ 0xFFFFFFFF) ^ 0xFFFFFFFF


class Keys:
    def __init__(self, password):
        self.k = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    def update(self, b):
        k0 = crc_step(self.k[0], b)
        k1 = ((self.k[1] + (k0 & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k2 = crc_step(self.k[2], k1 >> 24)
        self.k = [k0, k1, k2]

    def decrypt(self, data):
        out = bytearray()
        for c in data:
            t = (self.k[2] | 2) & 0xFFFF
            p = c ^ (((t * (t ^ 1)) >> 8) & 0xFF)
            self.update(p)
            out.append(p)
        return bytes(out)


def main():
    data = open(sys.argv[1], 'rb').read()
    password = sys.argv[2].encode('latin-1')
    end = data.rfind(b'PK\x05\x06')
    (_, disk, cd_disk, count_disk, count, cd_size, cd_offset, comment_len) = struct.unpack(
        '<IHHHHIIH', data[end:end + 22])
    pos = cd_offset
    for _ in range(count):
        (sig, made_by, needed, flags, method, time, date, crc, csize, usize, name_len, extra_len, comment,
         disk_start, int_attr, ext_attr, offset) = struct.unpack('<IHHHHHHIIIHHHHHII', data[pos:pos + 46])
        assert sig == 0x02014B50
        name = data[pos + 46:pos + 46 + name_len]
        (lsig, lneeded, lflags, lmethod, ltime, ldate, lcrc, lcsize, lusize, lname_len, lextra_len) = struct.unpack(
            '<IHHHHHIIIHH', data[offset:offset + 30])
        assert lsig == 0x04034B50
        local_same = (lneeded, lflags, lmethod, ltime, ldate, lcrc, lcsize, lusize) == (
            needed, flags, method, time, date, crc, csize, usize) and data[offset + 30:offset + 30 + lname_len] == name
        start = offset + 30 + lname_len + lextra_len
        header = Keys(password).decrypt(data[start:start + 12])
        print(f'name={name.hex()} made_by={made_by & 0xFF} host={made_by >> 8} needed={needed} flags={flags} '
              f'method={method} time={time} date={date} crc={crc:08x} csize={csize} usize={usize} '
              f'extra={extra_len} lextra={lextra_len} comment={comment} disk={disk_start} int_attr={int_attr} '
              f'ext_attr={ext_attr} local_same={int(local_same)} hdr_random={header[:10].hex()} hdr10={header[10]:02x} hdr11={header[11]:02x} '
              f'data_end={start + csize}')
        pos += 46 + name_len + extra_len + comment
    print(f'end disk={disk} cd_disk={cd_disk} count_disk={count_disk} count={count} cd_size={cd_size} '
          f'cd_offset={cd_offset} comment={comment_len} end_offset={end} size={len(data)}')


main()
