"""Layouts of the fifteen KERNO tables and the writer that stores them.

The tables are FoxPro 2 tables without memo fields (version byte 0x03) with the
language driver 0x64, code page 852, as KERNO keeps them. python3-dbf writes this
form as its "db3" type; its FoxPro type would add the Visual FoxPro back link.
"""

import datetime
import os

import dbf

CODE_PAGE_852 = 0x64

# Field specifications in python3-dbf's notation. GOTG and GOTP share the layout of
# RACN and RACP, field names included, as KERNO's cash receipts do.
_INVOICE_HEAD = ("RACNSTEV C(12); RACNDATU D; RACNDATV D; RACNPART C(6); RACNNAZI C(50); "
                 "RACNKRAJ C(30); RACNZNES N(14,2); RACNDDV N(14,2); RACNPLAC L; RACNOPIS C(60)")
_INVOICE_LINE = ("RACPSTEV C(12); RACPDATU D; RACPPOZI N(4,0); RACPMATE C(10); RACPNAZI C(40); "
                 "RACPENOT C(3); RACPKOLI N(12,3); RACPCENA N(12,2); RACPZNES N(14,2); RACPDDVS N(5,2)")

LAYOUTS = {
    "POPA": ("POPASIFR C(6); POPANAZI C(50); POPANASL C(40); POPAPOST C(4); POPAKRAJ C(30); "
             "POPADAVS C(12); POPAZAVE L; POPATRR C(25)"),
    "PERS": ("PERSCTRL C(4); PERSDAVS C(12); PERSFIRM C(60); PERSNAZI C(40); PERSNASL C(40); "
             "PERSPOST C(4); PERSKRAJ C(30); PERSRAC1 C(70); PERSBANK C(40); PERSRAC3 C(70); "
             "PERSRACI C(40); PERSDATZ D"),
    "VSTR": "VSTRSIFR C(10); VSTRNAZI C(40); VSTRVRED C(60)",
    "ORGE": "ORGESIFR C(6); ORGENAZI C(40)",
    "MATE": "MATESIFR C(10); MATENAZI C(40); MATEENOT C(3); MATECENA N(12,2); MATEDDVS N(5,2)",
    "PTXT": "PTXTOZNA C(4); PTXTOZN1 C(3); PTXTCTRL C(10); PTXTINDX N(4,0); PTXTTEXT C(110); PTXTTEX1 C(120)",
    "RACN": _INVOICE_HEAD,
    "RACP": _INVOICE_LINE,
    "GOTG": _INVOICE_HEAD,
    "GOTP": _INVOICE_LINE,
    "STRO": ("STROSTEV C(12); STRODATD D; STRODATP D; STROPART C(6); STRONAZI C(50); STROOPIS C(60); "
             "STROZNES N(14,2); STRODDV N(14,2); STROORGE C(6)"),
    "PTNL": ("PTNLSTEV C(10); PTNLDTRZ D; PTNLDELA C(40); PTNLRELA C(80); PTNLNAME C(50); "
             "PTNLKM N(7,1); PTNLZNES N(12,2)"),
    "KNZR": ("KNZRSTEV C(10); KNZRDATI D; KNZRRACU C(25); KNZRPART C(50); KNZROPIS C(60); "
             "KNZRPRIL N(14,2); KNZRODLI N(14,2)"),
    "PRAC": ("PRACSTEV C(12); PRACDATU D; PRACVRST C(1); PRACPART C(6); PRACNAZI C(50); "
             "PRACZNES N(14,2); PRACOPIS C(60)"),
    "PRAP": ("PRAPSTEV C(12); PRAPDATU D; PRAPPOZI N(4,0); PRAPMATE C(10); PRAPNAZI C(40); "
             "PRAPKOLI N(12,3); PRAPCENA N(12,2); PRAPZNES N(14,2)"),
}

# The order in which a company's tables are written; the order of the export run.
TABLE_NAMES = ["POPA", "PERS", "VSTR", "ORGE", "MATE", "PTXT", "RACN", "RACP",
               "GOTG", "GOTP", "STRO", "PTNL", "KNZR", "PRAC", "PRAP"]


def write_table(path, name, rows, deleted, stamp):
    """Writes rows (tuples in layout order) to path; rows whose index is in `deleted`
    are marked deleted. The header's last-update date and the file times are set to
    `stamp`, so that the same data gives the same bytes on any day."""
    table = dbf.Table(str(path), LAYOUTS[name], dbf_type="db3", codepage=CODE_PAGE_852, on_disk=False)
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    for index in deleted:
        dbf.delete(table[index])
    # A table on disk rewrites its header at every append, which makes thousands of
    # records take long; built in memory, python3-dbf encodes the same header and
    # records, and the file is their concatenation with the end-of-file mark.
    header = bytearray(table._meta.header.data)
    header[1:4] = bytes([stamp.year - 1900, stamp.month, stamp.day])
    path.write_bytes(bytes(header) + b"".join(bytes(record._data) for record in table) + b"\x1a")
    table.close()
    moment = datetime.datetime.combine(stamp, datetime.time(18, 30)).timestamp()
    os.utime(path, (moment, moment))
