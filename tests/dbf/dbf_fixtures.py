"""Table fixtures written by python3-dbf, and checks of our copies read back by python3-dbfread/python3-dbf.

Usage:
  dbf_fixtures.py types <path> <db3|fp|vfp>
  dbf_fixtures.py racn <path> <db3|fp|vfp> <start yyyymmdd> <end yyyymmdd>
  dbf_fixtures.py kerno <folder> <tables...> [--long-account] [--no-company]
  dbf_fixtures.py check-copy <source> <copy> <date field> <start> <end>
  dbf_fixtures.py dump <path>
"""
import datetime
import json
import os
import sys

import dbf
import dbfread

CODEPAGE = 'cp852'


def new_table(path, specs, kind='fp'):
    # Tables without memo fields are written as dBASE III / FoxPro 2.x ones (version 0x03).
    table = dbf.Table(path, specs, dbf_type=kind, codepage=CODEPAGE)
    table.open(dbf.READ_WRITE)
    return table


def add(table, values, deleted=False):
    table.append(values)
    if deleted:
        dbf.delete(table[-1])


def write_types(path, kind):
    specs = 'NAME C(20); AMOUNT N(10,2); DAY D; FLAG L; NOTE M'
    if kind == 'vfp':
        specs += '; CNT I; PRICE Y; WHEN T; RATE B'
    table = new_table(path, specs, kind)
    rows = [
        ({'name': 'čšž ČŠŽ', 'amount': 12.5, 'day': datetime.date(2020, 1, 31), 'flag': True,
          'note': 'memo čšž\r\nline 2'}, False, {'cnt': 7, 'price': 1.2345,
                                                 'when': datetime.datetime(2020, 1, 31, 13, 45, 10), 'rate': 2.5}),
        ({'name': 'deleted one', 'amount': 1, 'day': datetime.date(2021, 1, 1), 'note': 'gone'}, True, {}),
        ({'name': 'Ana', 'amount': -3.25, 'flag': False}, False, {'cnt': -5}),
        ({'name': 'Žiga', 'amount': 0, 'day': datetime.date(1999, 12, 31), 'flag': True, 'note': 'x' * 300},
         False, {'cnt': 2147483646}),
    ]
    for values, deleted, vfp_values in rows:
        if kind == 'vfp':
            values = dict(values, **vfp_values)
        add(table, values, deleted)
    table.close()


def day(key):
    return datetime.datetime.strptime(key, '%Y%m%d').date()


def write_racn(path, kind, start, end):
    table = new_table(path, 'RACNSTEV C(10); RACNDATU D; RACNPART C(30); RACNZNES N(12,2); RACNOPIS M', kind)
    one = datetime.timedelta(days=1)
    rows = [
        ('before', day(start) - one, False),
        ('first', day(start), False),
        ('deleted', day(start) + one, True),
        ('middle', day(start) + (day(end) - day(start)) / 2, False),
        ('last', day(end), False),
        ('after', day(end) + one, False),
        ('blank', None, False),
    ]
    for number, (name, date, deleted) in enumerate(rows):
        add(table, {'racnstev': name, 'racndatu': date, 'racnpart': 'Kupec čšž %d' % number,
                    'racnznes': number * 10.5, 'racnopis': 'opis %s ČŠŽ' % name if number % 2 else ''}, deleted)
    table.close()


def write_kerno(folder, names, long_account, no_company):
    def path(name):
        return os.path.join(folder, name)

    if 'PERS.DBF' in names:
        table = new_table(path('PERS.DBF'), 'PERSCTRL C(4); PERSDAVS C(10); PERSFIRM C(40); PERSRAC1 C(60); '
                                            'PERSBANK C(30); PERSRAC3 C(40); PERSRACI C(20)', 'db3')
        add(table, {'persctrl': '9999', 'persdavs': 'DELETED', 'persfirm': 'Izbrisano'}, True)
        add(table, {'persctrl': '0001', 'persdavs': 'OTHER', 'persfirm': 'Drugi'})
        if not no_company:
            account = 'SI56 0201 0001 2345 678 DOLGI RAČUN ŽIRO ČŠŽ 1234567' if long_account else 'SI56 0201 0001'
            add(table, {'persctrl': '9999', 'persdavs': '12345678', 'persfirm': 'Podjetje Čšž d.o.o.',
                        'persrac1': account, 'persbank': 'NLB d.d.', 'persrac3': 'SI56 1910 0000',
                        'persraci': 'Delavska hranilnica'})
            add(table, {'persctrl': '9999', 'persdavs': 'SECOND', 'persfirm': 'Drugo podjetje'})
        table.close()
    if 'PTXT.DBF' in names:
        table = new_table(path('PTXT.DBF'), 'PTXTOZNA C(4); PTXTOZN1 C(3); PTXTCTRL C(10); PTXTINDX N(5,0); '
                                            'PTXTTEXT C(80); PTXTTEX1 C(90)', 'db3')
        rows = [
            ('PERS', '999', 'ZIR1', 'žiro 1', False),
            ('PERS', '999', 'XYZ', 'ne', False),
            ('PERS', '998', 'ZIR2', 'ne', False),
            ('PERS', '999', 'ZIR3', 'izbrisan', True),
            ('STRA', '001', 'ABC', 'stran čšž', False),
            ('STRA', '002', '', 'izbrisana stran', True),
            ('PER', '999', 'ZIR4', 'ne', False),
        ]
        for number, (ozna, ozn1, ctrl, text, deleted) in enumerate(rows):
            add(table, {'ptxtozna': ozna, 'ptxtozn1': ozn1, 'ptxtctrl': ctrl, 'ptxtindx': number + 1,
                        'ptxttext': text}, deleted)
        table.close()
    for name in names:
        if name not in ('PERS.DBF', 'PTXT.DBF') and not os.path.exists(path(name)):
            table = new_table(path(name), 'NAZIV C(20); OPIS M')
            add(table, {'naziv': name, 'opis': 'memo of ' + name})
            add(table, {'naziv': 'izbrisan čšž', 'opis': 'deleted'}, True)
            table.close()


def plain(value):
    if isinstance(value, str):
        return value.rstrip()
    if isinstance(value, bytes):
        return value.decode('latin-1').rstrip()
    if isinstance(value, (datetime.date, datetime.datetime)):
        return value.isoformat()
    if value is None:
        return ''
    return str(float(value)) if not isinstance(value, bool) else str(value)


def read_with_dbfread(path):
    return [{k.upper(): plain(v) for k, v in r.items()} for r in dbfread.DBF(path, encoding=CODEPAGE, char_decode_errors='strict')]


def read_with_dbf(path):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    rows = [{name.upper(): plain(record[name]) for name in table.field_names}
            for record in table if not dbf.is_deleted(record)]
    last_update = table.last_update
    count = len(table)
    table.close()
    return rows, count, last_update


def check_copy(source, copy, field, start, end):
    expected = [r for r in read_with_dbfread(source)
                if r[field.upper()] and start <= r[field.upper()].replace('-', '') <= end]
    rows, count, last_update = read_with_dbf(copy)
    problems = []
    if count != len(expected):
        problems.append('header count %d, expected %d' % (count, len(expected)))
    if last_update != datetime.date.today():
        problems.append('update date %s' % last_update)
    if rows != expected:
        problems.append('records differ:\n  ours %s\n  want %s' % (rows, expected))
    # dbfread as a second reader of the copy, memo file included.
    if read_with_dbfread(copy) != expected:
        problems.append('dbfread sees other records in the copy')
    print('\n'.join(problems) or 'OK')
    return 1 if problems else 0


def main(argv):
    command = argv[1]
    if command == 'types':
        write_types(argv[2], argv[3])
    elif command == 'racn':
        write_racn(argv[2], argv[3], argv[4], argv[5])
    elif command == 'kerno':
        names = [a for a in argv[3:] if not a.startswith('--')]
        write_kerno(argv[2], names, '--long-account' in argv, '--no-company' in argv)
    elif command == 'check-copy':
        return check_copy(*argv[2:7])
    elif command == 'dump':
        rows, count, last_update = read_with_dbf(argv[2])
        print(json.dumps({'count': count, 'update': last_update.isoformat(), 'rows': rows}, ensure_ascii=False))
    else:
        raise SystemExit('unknown command ' + command)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
