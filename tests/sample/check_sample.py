#!/usr/bin/python3
"""Generates the sample KERNO installation into a temporary folder and reads it back
with python3-dbfread, an independent reader: tables, company records, deleted records,
code page 852 texts, the QX.INI files and the user directories.

    check_sample.py --qxscramble build/bin/qxscramble
"""

import argparse
import configparser
import filecmp
import json
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import dbfread

REPO = Path(__file__).resolve().parents[2]
MAKE_SAMPLE = REPO / "tools" / "sample" / "make_sample.py"
QXSCRAMBLE = None

DATE_FIELDS = {"RACN": "RACNDATU", "RACP": "RACPDATU", "GOTG": "RACNDATU", "GOTP": "RACPDATU",
               "STRO": "STRODATD", "PTNL": "PTNLDTRZ", "KNZR": "KNZRDATI", "PRAC": "PRACDATU",
               "PRAP": "PRAPDATU"}
ALL_TABLES = {"POPA", "PERS", "VSTR", "ORGE", "MATE", "PTXT", "RACN", "RACP", "GOTG", "GOTP", "STRO", "PTNL",
              "KNZR", "PRAC", "PRAP"}


def generate(folder):
    subprocess.run([sys.executable, str(MAKE_SAMPLE), str(folder), "--qxscramble", QXSCRAMBLE],
                   check=True, stdout=subprocess.DEVNULL)
    return json.loads((folder / "sample.json").read_text(encoding="utf-8"))


_tables = {}


def read(path):
    """Each table is read once; a text that is no code page 852 fails the read."""
    if path not in _tables:
        _tables[path] = dbfread.DBF(str(path), load=True, char_decode_errors="strict")
    return _tables[path]


def company_folders(root):
    """User directories as the main window lists them: an extension from the list."""
    return sorted(p.name for p in root.iterdir() if p.is_dir() and not p.name.startswith(".")
                  and p.suffix.upper() in (".P", ".G", ".O", ".Z", ".R", ".D", "._P", "._G", "._O",
                                           "._Z", "._R", "._D"))


class SampleInstallation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory(prefix="qx-sample-")
        cls.root = Path(cls.temp.name) / "kerno"
        cls.manifest = generate(cls.root)
        cls.companies = {c["dir"]: c for c in cls.manifest["companies"]}

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def tables(self):
        """(folder, table name, manifest entry) of every table written."""
        yield from ((self.root, name, entry) for name, entry in self.manifest["shared_tables"].items())
        for company in self.manifest["companies"]:
            for name, entry in company["tables"].items():
                yield self.root / company["dir"], name, entry

    def test_every_table_reads_back_as_foxpro_in_code_page_852(self):
        seen = set()
        for folder, name, entry in self.tables():
            with self.subTest(table=f"{folder.name}/{name}"):
                path = folder / f"{name}.DBF"
                header = path.read_bytes()[:32]
                self.assertEqual(header[0], 0x03, "FoxPro table without memo")
                self.assertEqual(header[29], 0x64, "language driver of code page 852")
                table = read(path)
                self.assertEqual(table.encoding, "cp852")
                self.assertEqual(len(table.records) + len(table.deleted), entry["records"])
                self.assertEqual(len(table.deleted), entry["deleted"])
                seen.add(name)
        self.assertEqual(seen, ALL_TABLES)

    def test_user_directories_and_shared_tables(self):
        self.assertEqual(company_folders(self.root), ["DRUGA._G", "FIRMA.P", "KOVINAR22.P", "KOVINAR23.P"])
        self.assertTrue((self.root / "SKUPNO" / "PERS.DBF").is_file())
        self.assertTrue((self.root / "OSTALO").is_dir())
        for name in ("POPA", "VSTR", "MATE", "ORGE"):
            self.assertTrue((self.root / f"{name}.DBF").is_file(), name)
        self.assertFalse((self.root / "FIRMA.P" / "ORGE.DBF").exists(), "FIRMA.P falls back on the root")

    def test_company_record_is_the_first_live_9999_record(self):
        for name, company in self.companies.items():
            with self.subTest(company=name):
                table = read(self.root / name / "PERS.DBF")
                live = [r for r in table.records if r["PERSCTRL"] == "9999"]
                self.assertEqual(live[0]["PERSDAVS"], company["tax_number"])
                self.assertEqual(live[0]["PERSFIRM"], company["firm"])
                for field in ("PERSRAC1", "PERSBANK", "PERSRAC3", "PERSRACI"):
                    self.assertTrue(live[0][field], field)
                former = [r for r in table.deleted if r["PERSCTRL"] == "9999"]
                self.assertTrue(former, "a deleted former company record")
                self.assertNotEqual(former[0]["PERSDAVS"], company["tax_number"])

    def test_slovenian_letters_are_stored_in_code_page_852(self):
        for name, company in self.companies.items():
            with self.subTest(company=name):
                firm = company["firm"]
                self.assertTrue(set("čšž") & set(firm.lower()), firm)
                raw = (self.root / name / "PERS.DBF").read_bytes()
                self.assertIn(firm.encode("cp852"), raw)
                self.assertNotIn(firm.encode("utf-8"), raw)
                people = "".join(r["PERSNAZI"] + r["PERSKRAJ"] for r in read(self.root / name / "PERS.DBF").records)
                self.assertFalse("?" in people)
        texts = "".join(str(v) for r in read(self.root / "POPA.DBF").records for v in r.values())
        self.assertTrue(set("čšžČŠŽ") <= set(texts))

    def test_documents_span_several_years_with_deleted_records(self):
        documents = 0
        for folder, name, entry in self.tables():
            if name not in DATE_FIELDS:
                continue
            with self.subTest(table=f"{folder.name}/{name}"):
                table = read(folder / f"{name}.DBF")
                dates = [r[DATE_FIELDS[name]] for r in table.records]
                self.assertTrue(all(dates), "every document has its date")
                if name in ("RACN", "GOTG"):
                    documents += entry["records"]
                if name == "RACN" and folder.name in ("FIRMA.P", "DRUGA._G"):
                    self.assertGreaterEqual(len({d.year for d in dates}), 3)
        self.assertGreater(documents, 3000)
        deleted = sum(e["deleted"] for f, n, e in self.tables() if n in DATE_FIELDS)
        self.assertGreater(deleted, 20)

    def test_date_mode_company_has_documents_on_the_bounds_of_its_start_date(self):
        year = self.companies["DRUGA._G"]["last_year"]
        dates = {r["RACNDATU"] for r in read(self.root / "DRUGA._G" / "RACN.DBF").records}
        self.assertIn(f"{year}-01-01", {d.isoformat() for d in dates})
        self.assertIn(f"{year - 1}-12-31", {d.isoformat() for d in dates})

    def test_bank_account_texts(self):
        table = read(self.root / "SKUPNO" / "PTXT.DBF")
        widths = {f.name: f.length for f in table.fields}
        self.assertGreaterEqual(widths["PTXTTEXT"], 45 + 40)
        self.assertGreaterEqual(widths["PTXTTEX1"], 66 + 40)
        self.assertEqual([f.type for f in table.fields if f.name == "PTXTINDX"], ["N"])
        kept = [r for r in table.records if (r["PTXTOZNA"], r["PTXTOZN1"]) == ("PERS", "999")
                and r["PTXTCTRL"].startswith("ZIR")]
        self.assertTrue(kept)
        self.assertTrue(any(r["PTXTOZNA"] == "STRA" for r in table.records))
        self.assertTrue(any(r["PTXTCTRL"].startswith("ZIR") for r in table.deleted))
        company = [r for r in read(self.root / "SKUPNO" / "PERS.DBF").records if r["PERSCTRL"] == "9999"][0]
        self.assertGreater(len(company["PERSRAC1"]), 45, "one account text longer than its column")

    def test_qx_ini_of_each_kind(self):
        expected = {
            "FIRMA.P": {"ftp": "1", "mail": "0", "message": "1", "email": "", "kopiraj1": "1", "askdate": "0"},
            "KOVINAR23.P": {"ftp": "0", "mail": "1", "kopiraj1": "1", "askdate": "0", "servis": ""},
            "DRUGA._G": {"ftp": "1", "kopiraj1": "0", "kopiraj2": "1", "askdate": "1", "message": "1",
                         "datumod": f"01.01.{self.manifest['year']}"},
        }
        for name, values in expected.items():
            with self.subTest(company=name):
                raw = (self.root / name / "QX.INI").read_bytes()
                self.assertIn(b"\r\n", raw)
                settings = configparser.ConfigParser(interpolation=None)
                settings.read_string(raw.decode("cp1250"))
                section = settings["Setup"]
                self.assertEqual(len(section), 21)
                self.assertEqual(section["ds"], self.companies[name]["tax_number"])
                for key, value in values.items():
                    self.assertEqual(section[key], value, key)
        self.assertTrue(self.companies["KOVINAR23.P"]["settings"] == "mail")
        self.assertFalse((self.root / "KOVINAR22.P" / "QX.INI").exists())

    def test_transfer_code_descrambles_to_the_service_folder(self):
        settings = configparser.ConfigParser(interpolation=None)
        settings.read_string((self.root / "FIRMA.P" / "QX.INI").read_bytes().decode("cp1250"))
        plain = subprocess.run([QXSCRAMBLE, "-d", settings["Setup"]["servis"]], capture_output=True, text=True,
                               check=True).stdout.strip()
        self.assertEqual(plain, self.manifest["service_folder"])

    def test_same_bytes_every_time_and_only_a_sample_is_replaced(self):
        with tempfile.TemporaryDirectory(prefix="qx-sample-again-") as other:
            again = Path(other) / "kerno"
            generate(again)
            for folder, name, _ in self.tables():
                relative = (folder / f"{name}.DBF").relative_to(self.root)
                self.assertTrue(filecmp.cmp(self.root / relative, again / relative, shallow=False), relative)
            foreign = Path(other) / "foreign"
            foreign.mkdir()
            refused = subprocess.run([sys.executable, str(MAKE_SAMPLE), str(foreign), "--qxscramble", QXSCRAMBLE],
                                     capture_output=True, text=True)
            self.assertNotEqual(refused.returncode, 0)
            self.assertIn("no sample", refused.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--qxscramble", required=True)
    args, rest = parser.parse_known_args()
    QXSCRAMBLE = args.qxscramble
    unittest.main(argv=[sys.argv[0], *rest])
