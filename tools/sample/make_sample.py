#!/usr/bin/python3
"""Generates a sample KERNO installation: a data root with shared tables, several
companies as user directories, their books as FoxPro tables in code page 852 and a
QX.INI per company. The same arguments always give the same bytes.

    make_sample.py [FOLDER] [--year YYYY] [--qxscramble PATH]

FOLDER (default ./sample/kerno) becomes the data root; point VORTANE at it. A folder
left by an earlier run (it holds sample.json) is replaced; any other existing folder
is refused. sample.json describes what was written, for tests and the demo.
"""

import argparse
import datetime
import json
import random
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "common"))

import sample_books as books  # noqa: E402
from qx_ini import write_qx_ini  # noqa: E402
from sample_tables import TABLE_NAMES, write_table  # noqa: E402
from scrambler import Scrambler  # noqa: E402
from service_accounts import SERVICE_FOLDER  # noqa: E402

MANIFEST = "sample.json"
SHARED_TABLES = ["POPA", "VSTR", "MATE", "ORGE"]
COMPANY_TABLES = ["PERS", "PTXT", "RACN", "RACP", "STRO", "PTNL", "KNZR", "PRAC", "PRAP"]

# One profile per user directory. Years are relative to --year unless fixed by the
# folder's name (KERNO keeps one folder per business year, KOVINAR23.P for 2023).
# "own" lists the shared tables a company keeps for itself; "cash" adds GOTG and GOTP.
COMPANIES = [
    dict(dir="FIRMA.P", seed=101, firm="Mizarstvo Žagar in Kovačič d.o.o.", years=(-4, 0), settings="ftp", id="A",
         invoices=450, cash_receipts=0, costs=320, travel_orders=60, statement_days=210, offers=110,
         employees=12, own=[], cash=False),
    dict(dir="KOVINAR23.P", seed=202, firm="Kovinarstvo Žnidaršič Čatež d.o.o.", years=(2023, 2023),
         settings="mail", id="", invoices=800, cash_receipts=0, costs=450, travel_orders=90,
         statement_days=240, offers=150, employees=25, own=["POPA", "MATE"], cash=False),
    dict(dir="KOVINAR22.P", seed=203, firm="Kovinarstvo Žnidaršič Čatež d.o.o.", years=(2022, 2022),
         settings=None, id="", invoices=600, cash_receipts=0, costs=400, travel_orders=80,
         statement_days=235, offers=140, employees=22, own=["POPA", "MATE"], cash=False),
    dict(dir="DRUGA._G", seed=303, firm="Gostilna Pri Čuku, Štefan Žerjav s.p.", years=(-2, 0), settings="date",
         id="", invoices=140, cash_receipts=650, costs=260, travel_orders=20, statement_days=200, offers=40,
         employees=6, own=["ORGE"], cash=True),
    dict(dir="SKUPNO", seed=404, firm="Skupne službe Šentjur d.o.o.", years=(-1, 0), settings="ftp", id="S",
         invoices=120, cash_receipts=90, costs=150, travel_orders=15, statement_days=120, offers=20,
         employees=4, own=[], cash=True, long_account=True),
]
# A folder without an extension that the user list leaves out.
UNLISTED_FOLDER = "OSTALO"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", nargs="?", default="sample/kerno", help="the data root to create")
    parser.add_argument("--year", type=int, default=2025, help="the last business year of the books (2025)")
    parser.add_argument("--qxscramble", help="path of qxscramble (default build/bin/qxscramble)")
    args = parser.parse_args()

    root = Path(args.folder).resolve()
    transfer_code = Scrambler(args.qxscramble).scramble(SERVICE_FOLDER)
    prepare_root(root)
    manifest = {"root": str(root), "year": args.year, "service_folder": SERVICE_FOLDER,
                "transfer_code": transfer_code, "shared_tables": {}, "companies": []}

    rng = random.Random(7)
    shared_partners, shared_articles = books.partners(rng, 140), books.articles(rng)
    shared = {"POPA": shared_partners, "MATE": shared_articles, "ORGE": books.cost_centres(),
              "VSTR": books.shared_settings(args.year)}
    stamp = datetime.date(args.year, 12, 31)
    for name in SHARED_TABLES:
        manifest["shared_tables"][name] = store(root, name, shared[name], stamp)

    for profile in COMPANIES:
        manifest["companies"].append(make_company(root, profile, args.year, shared, transfer_code))
    (root / UNLISTED_FOLDER).mkdir()

    (root / MANIFEST).write_text(json.dumps(manifest, ensure_ascii=False, indent=2) + "\n", encoding="utf-8")
    report(manifest)


def prepare_root(root):
    if root.exists():
        if not (root / MANIFEST).is_file():
            raise SystemExit(f"{root} exists and is no sample made by this script; choose another folder")
        shutil.rmtree(root)
    root.mkdir(parents=True)


def make_company(root, profile, year, shared, transfer_code):
    rng = random.Random(profile["seed"])
    first, last = (y if y > 1900 else year + y for y in profile["years"])
    account = books.bank_account(rng)
    if profile.get("long_account"):
        account += " (transakcijski račun za plačila DDV)"
    post, place = rng.choice(books.names.PLACES)
    p = dict(profile, first_year=first, last_year=last, tax_number=books.tax_number(rng),
             former_tax_number=books.tax_number(rng), former_firm=profile["firm"].replace("d.o.o.", "s.p."),
             owner=books.person(rng), street=f"{rng.choice(books.names.STREETS)} {rng.randint(1, 60)}",
             post=post, place=place, account1=account, bank1=rng.choice(books.names.BANKS),
             account3=books.bank_account(rng), bank3=rng.choice(books.names.BANKS))

    own = {"POPA": books.partners(rng, 90), "MATE": books.articles(rng), "ORGE": books.cost_centres()}
    partners = own["POPA"] if "POPA" in p["own"] else shared["POPA"]
    articles = own["MATE"] if "MATE" in p["own"] else shared["MATE"]
    company = books.CompanyBooks(p, rng, partners[0], articles[0])
    tables = {name: own[name] for name in p["own"]}
    tables["PERS"], tables["PTXT"] = company.personnel(), company.texts()
    tables["RACN"], tables["RACP"] = company.invoices("")
    if p["cash"]:
        tables["GOTG"], tables["GOTP"] = company.invoices("G")
    tables["STRO"], tables["PTNL"], tables["KNZR"] = company.costs(), company.travel_orders(), company.bank_statements()
    tables["PRAC"], tables["PRAP"] = company.offers()

    folder = root / p["dir"]
    folder.mkdir()
    stamp = datetime.date(last, 12, 31)
    written = {name: store(folder, name, tables[name], stamp) for name in TABLE_NAMES if name in tables}
    if p["settings"]:
        write_qx_ini(folder / "QX.INI", p["settings"], p, root, transfer_code)
    return {"dir": p["dir"], "firm": p["firm"], "tax_number": p["tax_number"], "id": p["id"],
            "settings": p["settings"], "first_year": first, "last_year": last, "tables": written}


def store(folder, name, table, stamp):
    rows, deleted = table
    write_table(folder / f"{name}.DBF", name, rows, deleted, stamp)
    return {"records": len(rows), "deleted": len(deleted)}


def report(manifest):
    total = sum(t["records"] for c in manifest["companies"] for t in c["tables"].values())
    print(f"Sample KERNO installation in {manifest['root']} ({total} records)")
    for c in manifest["companies"]:
        print(f"  {c['dir']:<12} {c['firm']:<40} {c['tax_number']}  {c['settings'] or 'no QX.INI'}")
    print(f"Transfer code of {manifest['service_folder']}: {manifest['transfer_code']}")


if __name__ == "__main__":
    main()
