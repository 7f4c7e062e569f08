"""The user settings file QX.INI of a sample company, as the settings dialog writes it:
section [Setup], the keys in the dialog's order, ANSI (windows-1250) text, CR LF."""

# Delivery and copy settings of the three kinds of sample company.
KINDS = {
    # Copies everything and uploads it to the service's FTP folder, then sends the notice.
    "ftp": dict(Email="", Mail=0, message=1, Kopiraj1=1, Kopiraj2=0, FTP=1, AskDate=0),
    # Copies everything and hands the archive to the mail program for this address.
    "mail": dict(Email="racunovodstvo@servis-novak.example.com", Mail=1, message=0, Kopiraj1=1, Kopiraj2=0,
                 FTP=0, AskDate=0),
    # Copies the documents of the last business year, up to the end date asked for, over FTP.
    "date": dict(Email="", Mail=0, message=1, Kopiraj1=0, Kopiraj2=1, FTP=1, AskDate=1),
}


def write_qx_ini(path, kind, profile, root, transfer_code):
    values = dict(KINDS[kind])
    serves_ftp = values["FTP"] == 1
    lines = [
        "[Setup]",
        f"DS={profile['tax_number']}",
        f"Dest={root / 'PRENOS'}",
        f"Email={values['Email']}",
        f"Mail={values['Mail']}",
        "Outlook=0",
        f"message={values['message']}",
        f"Kopiraj1={values['Kopiraj1']}",
        f"Kopiraj2={values['Kopiraj2']}",
        f"Datumod=01.01.{profile['last_year']}",
        f"FTP={values['FTP']}",
        f"servis={transfer_code if serves_ftp else ''}",
        f"ID={profile['id']}",
        "Doba=1",
        "Ptnl=1",
        "Stro=1",
        "Racn=1",
        "Mate=1",
        "Vstr=1",
        "Orge=1",
        "Ziro=1",
        f"AskDate={values['AskDate']}",
    ]
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode("cp1250"))
