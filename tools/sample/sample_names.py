"""Slovenian names, places and articles for the sample KERNO installation.

Every text here must be representable in code page 852, the code page KERNO stores
its character fields in: č š ž ć đ and their capitals are, the en dash and the euro
sign are not.
"""

FIRST_NAMES = [
    "Žiga", "Špela", "Matej", "Črt", "Nataša", "Boštjan", "Tjaša", "Urška", "Aleš", "Jože",
    "Anže", "Rožle", "Mojca", "Tomaž", "Mateja", "Primož", "Nuša", "Gašper", "Maja", "Luka",
    "Ivana", "Bojan", "Karmen", "Andrej", "Petra", "Dušan", "Živa", "Blaž", "Neža", "Jurij",
]

SURNAMES = [
    "Novak", "Horvat", "Kovačič", "Krajnc", "Zupančič", "Potočnik", "Mlakar", "Kos", "Vidmar",
    "Golob", "Turk", "Božič", "Kralj", "Žagar", "Petrič", "Šuštar", "Hribar", "Jerič", "Žnidaršič",
    "Kočevar", "Šinkovec", "Rozman", "Čeh", "Bizjak", "Pečnik", "Kastelic", "Dolenc", "Pavlič",
]

# Postal code and place, as on a Slovenian address line.
PLACES = [
    ("1000", "Ljubljana"), ("2000", "Maribor"), ("3000", "Celje"), ("4000", "Kranj"),
    ("5000", "Nova Gorica"), ("6000", "Koper"), ("8000", "Novo mesto"), ("9000", "Murska Sobota"),
    ("1290", "Grosuplje"), ("4260", "Bled"), ("3320", "Velenje"), ("2250", "Ptuj"),
    ("1230", "Domžale"), ("6320", "Portorož"), ("4220", "Škofja Loka"), ("1360", "Vrhnika"),
    ("8250", "Brežice"), ("2380", "Slovenj Gradec"), ("5270", "Ajdovščina"), ("3310", "Žalec"),
    ("9220", "Lendava"), ("1330", "Kočevje"), ("3325", "Šoštanj"), ("8261", "Jesenice na Dolenjskem"),
]

STREETS = [
    "Trubarjeva cesta", "Prešernova ulica", "Cankarjeva ulica", "Šmartinska cesta",
    "Tržaška cesta", "Celovška cesta", "Ulica heroja Šaranovića", "Kidričeva ulica",
    "Gregorčičeva ulica", "Župančičeva ulica", "Vošnjakova ulica", "Ob Savinji",
]

BUSINESS_KINDS = [
    "Mizarstvo", "Kovinarstvo", "Gradbeništvo", "Avtoprevozništvo", "Trgovina", "Gostilna",
    "Čistilni servis", "Elektroinštalacije", "Računalništvo", "Vrtnarstvo", "Slikopleskarstvo",
    "Strojna obdelava", "Šivilja", "Pekarna", "Kleparstvo", "Sadjarstvo",
]

LEGAL_FORMS = ["d.o.o.", "s.p.", "d.o.o.", "d.d.", "k.d."]

# Article name, unit of measure, price without tax, tax rate.
ARTICLES = [
    ("Vijak M8 x 40, pocinkan", "kos", 0.12, 22.0),
    ("Matica M8, nerjaveča", "kos", 0.09, 22.0),
    ("Pločevina 2 mm, črna", "m2", 18.40, 22.0),
    ("Cev jeklena 1/2 col", "m", 4.75, 22.0),
    ("Smrekova deska 24 mm", "m3", 420.00, 22.0),
    ("Bukov lepljenec 40 mm", "m2", 68.90, 22.0),
    ("Barva za les, orehova", "l", 14.20, 22.0),
    ("Ura dela - ključavničar", "h", 28.00, 22.0),
    ("Ura dela - mizar", "h", 26.50, 22.0),
    ("Prevoz do 50 km", "km", 0.85, 22.0),
    ("Kruh polbeli, 1 kg", "kos", 2.10, 9.5),
    ("Kava s smetano", "kos", 1.60, 9.5),
    ("Dnevno kosilo", "kos", 9.50, 9.5),
    ("Čistilo za tla, 5 l", "kos", 11.30, 22.0),
    ("Žica pocinkana 3 mm", "kg", 2.95, 22.0),
    ("Šamotna opeka", "kos", 1.45, 22.0),
    ("Sadike jablan, šopek", "kos", 7.80, 9.5),
    ("Svetovanje", "h", 45.00, 22.0),
]

COST_PURPOSES = [
    "Gorivo", "Pisarniški material", "Najemnina poslovnega prostora", "Električna energija",
    "Telefon in internet", "Zavarovanje vozila", "Popravilo stroja", "Računovodske storitve",
    "Čiščenje prostorov", "Zaščitna oprema", "Strokovna literatura", "Članarina zbornici",
    "Poštnina", "Vzdrževanje programske opreme", "Šolanje zaposlenih",
]

TRIP_PURPOSES = [
    "Obisk stranke", "Nabava materiala", "Sejem v Celju", "Montaža na terenu",
    "Izobraževanje", "Sestanek na zbornici", "Reklamacija pri dobavitelju",
]

COST_CENTRES = [
    ("100", "Uprava"), ("200", "Proizvodnja"), ("210", "Delavnica Žalec"), ("300", "Prodaja"),
    ("310", "Trgovina Šoštanj"), ("400", "Vozni park"), ("500", "Skladišče"),
]

BANKS = [
    "NLB d.d., Ljubljana", "Nova KBM d.d., Maribor", "Abanka d.d., Ljubljana",
    "SKB banka d.d., Ljubljana", "Gorenjska banka d.d., Kranj", "Delavska hranilnica d.d.",
]
