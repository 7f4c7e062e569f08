"""The rows of one company's books: documents over several years, in the layouts of
sample_tables. Every table comes back as (rows, indices of rows marked deleted)."""

import datetime

import sample_names as names

DELETED_SHARE = 0.02


def tax_number(rng):
    """An eight-digit Slovenian tax number with a valid check digit (mod 11)."""
    while True:
        digits = [rng.randint(1, 9)] + [rng.randint(0, 9) for _ in range(6)]
        check = 11 - sum(d * w for d, w in zip(digits, range(8, 1, -1))) % 11
        if check == 11:
            continue
        return "".join(map(str, digits)) + str(check % 10)


def bank_account(rng):
    digits = "0" + "".join(str(rng.randint(0, 9)) for _ in range(14))
    return "SI56 " + " ".join(digits[i:i + 4] for i in range(0, 15, 4))


def person(rng):
    return f"{rng.choice(names.FIRST_NAMES)} {rng.choice(names.SURNAMES)}"


def partners(rng, count):
    """POPA rows: business partners with address, tax number and account."""
    rows = []
    for i in range(1, count + 1):
        post, place = rng.choice(names.PLACES)
        firm = f"{rng.choice(names.BUSINESS_KINDS)} {rng.choice(names.SURNAMES)} {rng.choice(names.LEGAL_FORMS)}"
        street = f"{rng.choice(names.STREETS)} {rng.randint(1, 120)}"
        rows.append((f"P{i:05d}", firm, street, post, place, tax_number(rng), rng.random() < 0.8,
                     bank_account(rng)))
    return rows, _some_deleted(rng, len(rows))


def articles(rng):
    rows = []
    for i, (name, unit, price, rate) in enumerate(names.ARTICLES, start=1):
        rows.append((f"M{i:04d}", name, unit, round(price * rng.uniform(0.9, 1.1), 2), rate))
    return rows, {len(rows) - 1}


def cost_centres():
    return list(names.COST_CENTRES), set()


def shared_settings(year):
    rows = [("DDV_SPL", "Splošna stopnja DDV", "22,00"), ("DDV_NIZ", "Znižana stopnja DDV", "9,50"),
            ("KILOMETRI", "Povračilo za kilometer", "0,43"), ("VALUTA", "Denarna enota", "EUR"),
            ("LETO", "Tekoče poslovno leto", str(year)), ("VERZIJA", "Različica podatkov", "7.12")]
    return rows, set()


def _some_deleted(rng, count):
    return {i for i in range(count) if rng.random() < DELETED_SHARE}


def _document_days(rng, year, per_year):
    """Sorted document dates of one year; the first and the last day of the year are
    always among them, so that date filters meet records on their bounds."""
    start = datetime.date(year, 1, 1)
    span = (datetime.date(year, 12, 31) - start).days
    days = [start + datetime.timedelta(days=rng.randint(0, span)) for _ in range(max(per_year - 2, 0))]
    return sorted(days + [start, datetime.date(year, 12, 31)])


class CompanyBooks:
    """Generates the books of one company from its profile (see make_sample.COMPANIES)."""

    def __init__(self, profile, rng, partner_rows, article_rows):
        self.profile = profile
        self.rng = rng
        self.partners = list(partner_rows)
        self.articles = article_rows
        self.employees = [person(rng) for _ in range(profile["employees"])]

    def years(self):
        return range(self.profile["first_year"], self.profile["last_year"] + 1)

    def personnel(self):
        """PERS rows: employees, a deleted former company record and the company record."""
        p, rng = self.profile, self.rng
        rows = []
        for i, name in enumerate(self.employees, start=1):
            post, place = rng.choice(names.PLACES)
            hired = datetime.date(rng.randint(1995, p["first_year"]), rng.randint(1, 12), 1)
            rows.append(("%04d" % i, "", "", name, f"{rng.choice(names.STREETS)} {rng.randint(1, 90)}",
                         post, place, bank_account(rng), rng.choice(names.BANKS), "", "", hired))
        company = ("9999", p["tax_number"], p["firm"], p["owner"], p["street"], p["post"], p["place"],
                   p["account1"], p["bank1"], p["account3"], p["bank3"], datetime.date(p["first_year"], 1, 1))
        former = ("9999", p["former_tax_number"], p["former_firm"]) + company[3:]
        at = min(2, len(rows))
        rows[at:at] = [former, company]
        return rows, {at}

    def texts(self):
        """PTXT rows: KERNO's own bank-account texts (PERS/999/ZIR...), partner texts
        (STRA) and texts the export leaves behind (invoice footers, other owners)."""
        p = self.profile
        bank_text = p["account1"].ljust(45) + p["bank1"]
        second_text = p["account3"].ljust(66) + p["bank3"]
        rows = [
            ("PERS", "999", "ZIR1", 1, bank_text, second_text),
            ("PERS", "999", "ZIR9", 9, "SI56 0000 0000 0000 000".ljust(45) + "Zaprt račun", ""),
            ("PERS", "999", "ZIR2", 2, p["account3"].ljust(45) + p["bank3"], ""),
            ("PERS", "999", "OPO1", 1, "Opomba: plačilo na račun v 8 dneh od prejema računa.", ""),
            ("PERS", "001", "ZIR1", 1, "SI56 1910 0000 0123 438".ljust(45) + "Delavska hranilnica d.d.", ""),
            ("RACN", "", "NOGA", 1, "Hvala za zaupanje! Račun je izdan v elektronski obliki.", ""),
            ("RACN", "", "NOGA", 2, "Reklamacije sprejemamo v osmih dneh.", ""),
        ]
        for i, partner in enumerate(self.partners[:12], start=1):
            rows.append(("STRA", "", partner[0], i, f"Stranka {partner[1]}: plačilo v 30 dneh.", partner[7]))
        return rows, {1}

    def invoices(self, prefix):
        """RACN-style heads and RACP-style lines; a deleted head takes its lines along."""
        rng, heads, lines, deleted_heads, deleted_lines = self.rng, [], [], set(), set()
        per_year = self.profile["invoices" if prefix == "" else "cash_receipts"]
        for year in self.years():
            for number, day in enumerate(_document_days(rng, year, per_year), start=1):
                partner = rng.choice(self.partners)
                doc = f"{prefix}{year}-{number:05d}"
                drop = rng.random() < DELETED_SHARE
                net = tax = 0.0
                for position in range(1, rng.randint(1, 5) + 1):
                    code, name, unit, price, rate = rng.choice(self.articles)
                    quantity = round(rng.uniform(1, 40), 3 if unit in ("m", "m2", "kg", "l") else 0)
                    amount = round(quantity * price, 2)
                    net, tax = net + amount, tax + amount * rate / 100
                    if drop:
                        deleted_lines.add(len(lines))
                    lines.append((doc, day, position, code, name, unit, quantity, price, amount, rate))
                if drop:
                    deleted_heads.add(len(heads))
                heads.append((doc, day, day + datetime.timedelta(days=30), partner[0], partner[1], partner[4],
                              round(net + tax, 2), round(tax, 2), day.year < self.profile["last_year"],
                              f"Račun po naročilu {rng.randint(100, 999)}/{year}"))
        return (heads, deleted_heads), (lines, deleted_lines)

    def costs(self):
        rng, rows = self.rng, []
        for year in self.years():
            for number, day in enumerate(_document_days(rng, year, self.profile["costs"]), start=1):
                partner = rng.choice(self.partners)
                net = round(rng.uniform(5, 2500), 2)
                rows.append((f"S{year}-{number:04d}", day, day + datetime.timedelta(days=rng.randint(0, 45)),
                             partner[0], partner[1], rng.choice(names.COST_PURPOSES), round(net * 1.22, 2),
                             round(net * 0.22, 2), rng.choice(names.COST_CENTRES)[0]))
        return rows, _some_deleted(rng, len(rows))

    def travel_orders(self):
        rng, rows = self.rng, []
        for year in self.years():
            for number, day in enumerate(_document_days(rng, year, self.profile["travel_orders"]), start=1):
                home, away = rng.sample(names.PLACES, 2)
                km = round(rng.uniform(20, 600), 1)
                rows.append((f"PN{year % 100:02d}-{number:04d}", day, rng.choice(self.employees),
                             f"{home[1]} - {away[1]} - {home[1]}", rng.choice(names.TRIP_PURPOSES), km,
                             round(km * 0.43, 2)))
        return rows, _some_deleted(rng, len(rows))

    def bank_statements(self):
        rng, rows = self.rng, []
        for year in self.years():
            days = sorted(set(_document_days(rng, year, self.profile["statement_days"])))
            for number, day in enumerate(days, start=1):
                for _ in range(rng.randint(1, 4)):
                    partner = rng.choice(self.partners)
                    amount = round(rng.uniform(10, 4000), 2)
                    incoming = rng.random() < 0.55
                    text = "Plačilo računa" if incoming else rng.choice(names.COST_PURPOSES)
                    rows.append((f"{year % 100:02d}/{number:03d}", day, partner[7], partner[1], text,
                                 amount if incoming else 0.0, 0.0 if incoming else amount))
        return rows, _some_deleted(rng, len(rows))

    def offers(self):
        """PRAC heads (P predračun, D dobavnica) and PRAP lines."""
        rng, heads, lines = self.rng, [], []
        for year in self.years():
            for number, day in enumerate(_document_days(rng, year, self.profile["offers"]), start=1):
                partner, kind = rng.choice(self.partners), rng.choice("PD")
                doc = f"{kind}{year}-{number:04d}"
                total = 0.0
                for position in range(1, rng.randint(1, 4) + 1):
                    code, name, unit, price, _ = rng.choice(self.articles)
                    quantity = float(rng.randint(1, 25))
                    total += quantity * price
                    lines.append((doc, day, position, code, name, quantity, price, round(quantity * price, 2)))
                heads.append((doc, day, kind, partner[0], partner[1], round(total, 2),
                              "Predračun velja 15 dni." if kind == "P" else "Blago prevzel: " + person(rng)))
        return (heads, _some_deleted(rng, len(heads))), (lines, _some_deleted(rng, len(lines)))
