#!/usr/bin/python3
"""Writes the large .xls workbook of the benchmark: 60,000 rows by 8 columns
of numbers, repeated and unique strings, dates and a few number formats.

usage: gen_xls.py OUT.xls [ROWS]
Needs Debian's python3-xlwt (an .xls sheet holds at most 65,536 rows).
"""
import datetime
import os
import random
import sys

try:
    import xlwt
except ImportError:
    # Debian's python3-xlwt lives with the system interpreter.
    if sys.executable != '/usr/bin/python3' and os.path.exists('/usr/bin/python3'):
        os.execv('/usr/bin/python3', ['/usr/bin/python3'] + sys.argv)
    raise


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'large.xls'
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 60000
    rows = min(rows, 65535)
    rnd = random.Random(20240601)
    wb = xlwt.Workbook(encoding='utf-8')
    ws = wb.add_sheet('Data')
    date = xlwt.easyxf(num_format_str='yyyy-mm-dd')
    money = xlwt.easyxf(num_format_str='#,##0.00')
    pct = xlwt.easyxf(num_format_str='0.0%')
    bold = xlwt.easyxf('font: bold on')
    head = ['id', 'name', 'city', 'amount', 'share', 'date', 'count', 'note']
    for c, h in enumerate(head):
        ws.write(0, c, h, bold)
    cities = ['Berlin', 'Lisbon', 'Osaka', 'Quito', 'Tromsø', 'Zürich', 'Cairo', 'Perth']
    start = datetime.date(2000, 1, 1)
    for r in range(1, rows + 1):
        ws.write(r, 0, r)
        ws.write(r, 1, 'name %d' % rnd.randrange(5000))
        ws.write(r, 2, cities[r % len(cities)])
        ws.write(r, 3, round(rnd.uniform(-1e6, 1e6), 2), money)
        ws.write(r, 4, rnd.random(), pct)
        ws.write(r, 5, start + datetime.timedelta(days=rnd.randrange(9000)), date)
        ws.write(r, 6, rnd.randrange(1000))
        ws.write(r, 7, 'unique text %d %x' % (r, rnd.getrandbits(32)))
    wb.save(out)


if __name__ == '__main__':
    sys.exit(main())
