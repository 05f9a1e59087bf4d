#!/usr/bin/env python3
"""Compare the number-format unit with how two spreadsheet programs display
the cells of a folder of .xlsx files (developer use only).

usage: check.py CLI CORPUS_DIR REFS_DIR [--show N] [--code SUBSTR] [--every] [--engine]

--engine reads the workbooks (.xls too) with the engine itself through
`CLI --dump` instead of parsing the xlsx XML here.

For every numeric cell (and every text cell under a code with a text
section) it extracts (format code, value, date1904), formats it with the CLI
(tools/numfmt-cli) and looks up the same cell in refs/<path>/lo/<sheet>.csv
and refs/<path>/gn/<index>.csv. Reference CSVs leave out rows without text,
so rows are matched in order of the sheet's non-empty rows; sheets whose row
count disagrees are skipped.
"""
import csv
import os
import posixpath
import re
import unicodedata
import subprocess
import sys
import zipfile
import xml.etree.ElementTree as ET
from collections import Counter, defaultdict

BUILTIN = {}
NUM = re.compile(r'^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$')
WS = re.compile(r'\s+')


def norm(t):
    # The fidelity scorer's view of a cell: folded whitespace, and plain
    # numbers compared to 6 significant digits.
    t = WS.sub(' ', unicodedata.normalize('NFC', t).replace('\u00a0', ' ')).strip()
    if NUM.match(t):
        try:
            return '#' + ('%.6g' % float(t))
        except ValueError:
            pass
    return t


def local(tag):
    return tag.rsplit('}', 1)[-1]


def rels_of(z, part):
    d, f = posixpath.split(part)
    rp = posixpath.join(d, '_rels', f + '.rels')
    out = {}
    try:
        root = ET.fromstring(z.read(rp))
    except KeyError:
        return out
    for r in root:
        tgt = r.get('Target', '')
        if r.get('TargetMode') == 'External':
            continue
        if tgt.startswith('/'):
            p = tgt[1:]
        else:
            p = posixpath.normpath(posixpath.join(d, tgt))
        out[r.get('Id')] = (local(r.get('Type', '')).rsplit('/', 1)[-1], p)
    return out


def col_index(ref):
    n = 0
    for ch in ref:
        if ch.isalpha():
            n = n * 26 + (ord(ch.upper()) - 64)
        else:
            break
    return n - 1


def row_index(ref):
    digits = ''.join(ch for ch in ref if ch.isdigit())
    return int(digits) - 1 if digits else -1


def read_workbook(path):
    z = zipfile.ZipFile(path)
    root_rels = rels_of(z, '')
    wb_part = None
    for _, (typ, p) in root_rels.items():
        if typ == 'officeDocument':
            wb_part = p
    if wb_part is None:
        return None
    wb = ET.fromstring(z.read(wb_part))
    wrels = rels_of(z, wb_part)
    date1904 = False
    sheets = []
    styles_part = sst_part = None
    for _, (typ, p) in wrels.items():
        if typ == 'styles':
            styles_part = p
        elif typ == 'sharedStrings':
            sst_part = p
    for el in wb.iter():
        t = local(el.tag)
        if t == 'workbookPr':
            v = el.get('date1904', '0')
            date1904 = v in ('1', 'true')
        elif t == 'sheet':
            rid = None
            for k, v in el.attrib.items():
                if local(k) == 'id':
                    rid = v
            sheets.append((el.get('name'), wrels.get(rid, (None, None))))
    codes = {}
    xfs = []
    if styles_part:
        st = ET.fromstring(z.read(styles_part))
        for el in st:
            if local(el.tag) == 'numFmts':
                for nf in el:
                    codes[int(nf.get('numFmtId'))] = nf.get('formatCode')
            if local(el.tag) == 'cellXfs':
                for xf in el:
                    xfs.append(int(xf.get('numFmtId', '0')))
    sst = []
    if sst_part:
        s = ET.fromstring(z.read(sst_part))
        for si in s:
            sst.append(''.join(t.text or '' for t in si.iter() if local(t.tag) == 't'))
    out = []
    for idx, (name, (typ, part)) in enumerate(sheets):
        if typ != 'worksheet' or part is None:
            out.append((name, idx, None))
            continue
        try:
            root = ET.fromstring(z.read(part))
        except KeyError:
            out.append((name, idx, None))
            continue
        cells = []
        for c in root.iter():
            if local(c.tag) != 'c':
                continue
            ref = c.get('r')
            if not ref:
                continue
            t = c.get('t', 'n')
            s = int(c.get('s', '0'))
            v = None
            for ch in c:
                if local(ch.tag) == 'v':
                    v = ch.text
                elif local(ch.tag) == 'is':
                    v = ''.join(x.text or '' for x in ch.iter() if local(x.tag) == 't')
            if v is None:
                continue
            fid = xfs[s] if s < len(xfs) else 0
            code = codes.get(fid)
            cells.append((row_index(ref), col_index(ref), t, v, fid, code))
        out.append((name, idx, cells))
    return date1904, out, sst


def engine_cells(cli, path):
    out = subprocess.run([cli, '--dump', path], capture_output=True, text=True, errors='replace').stdout
    sheets = {}
    for line in out.split('\n'):
        f = line.split('\t')
        if len(f) != 8:
            continue
        idx, name, r, c, kind, code, value, shown = f
        sheets.setdefault(int(idx), (name, []))[1].append((int(r), int(c), kind, code, value, shown))
    return sheets


def engine_main(cli, corpus, refs, show, only):
    stats = Counter()
    fails = defaultdict(list)
    for dirpath, _, files in os.walk(corpus):
        for f in sorted(files):
            if not f.lower().endswith(('.xlsx', '.xlsm', '.xls')):
                continue
            path = os.path.join(dirpath, f)
            rel = os.path.relpath(path, corpus)
            refdir = os.path.join(refs, os.path.basename(corpus.rstrip('/')), rel)
            for idx, (name, cells) in engine_cells(cli, path).items():
                rows = sorted({r for r, c, k, code, v, shown in cells if shown.strip()})
                rowmap = {r: k for k, r in enumerate(rows)}
                tables = {}
                for prog, fn in (('lo', f'{name}.csv'), ('gn', f'{idx}.csv')):
                    p = os.path.join(refdir, prog, fn)
                    if os.path.exists(p):
                        with open(p, newline='', encoding='utf-8', errors='replace') as fh:
                            tab = list(csv.reader(fh))
                        if len(tab) == len(rows):
                            tables[prog] = tab
                for r, c, kind, code, value, shown in cells:
                    if kind != 'n' and not (kind == 's' and ('@' in code or code.count(';') >= 3)):
                        continue
                    if only and only not in code:
                        continue
                    if r not in rowmap or not tables:
                        continue
                    exp = {}
                    for prog, tab in tables.items():
                        row = tab[rowmap[r]]
                        exp[prog] = row[c] if c < len(row) else ''
                    stats['cells'] += 1
                    ok = any(norm(shown) == norm(e) for e in exp.values())
                    stats['ok'] += ok
                    stats['general' if code.lower() == 'general' else 'coded'] += 1
                    stats[('general' if code.lower() == 'general' else 'coded') + '_ok'] += ok
                    if not ok:
                        fails[code].append((rel, name, r, c, value, shown, exp))
    n = stats['cells'] or 1
    print(f"cells {stats['cells']}  agree (as scored, either program) {stats['ok'] / n:.4f}")
    for k in ('general', 'coded'):
        print(f"  {k}: {stats[k]} cells, agree {stats[k + '_ok'] / (stats[k] or 1):.4f}")
    for code, lst in sorted(fails.items(), key=lambda kv: -len(kv[1]))[:show]:
        rel, name, r, c, value, shown, exp = lst[0]
        print(f"[{len(lst)}] {code!r} v={value!r} ours={shown!r} refs={exp} ({rel} {name} r{r + 1}c{c + 1})")


def main():
    args = sys.argv[1:]
    show = 40
    only = None
    if '--show' in args:
        i = args.index('--show'); show = int(args[i + 1]); del args[i:i + 2]
    every = '--every' in args
    if every:
        args.remove('--every')
    if '--code' in args:
        i = args.index('--code'); only = args[i + 1]; del args[i:i + 2]
    if '--engine' in args:
        args.remove('--engine')
        return engine_main(*args, show, only)
    cli, corpus, refs = args
    items = []  # (file, sheet, row, col, code, value, d1904, refs)
    for dirpath, _, files in os.walk(corpus):
        for f in sorted(files):
            if not f.lower().endswith(('.xlsx', '.xlsm')):
                continue
            path = os.path.join(dirpath, f)
            rel = os.path.relpath(path, corpus)
            refdir = os.path.join(refs, os.path.basename(corpus.rstrip('/')), rel)
            try:
                wb = read_workbook(path)
            except Exception:
                continue
            if not wb:
                continue
            d1904, sheets, sst = wb
            for name, idx, cells in sheets:
                if not cells:
                    continue
                rows = sorted({r for r, *_ in cells})
                tables = {}
                for prog, fn in (('lo', f'{name}.csv'), ('gn', f'{idx}.csv')):
                    p = os.path.join(refdir, prog, fn)
                    if os.path.exists(p):
                        with open(p, newline='', encoding='utf-8', errors='replace') as fh:
                            tables[prog] = list(csv.reader(fh))
                rowmap = {r: k for k, r in enumerate(rows)}
                for r, c, t, v, fid, code in cells:
                    if code is None:
                        code = BUILTIN.get(fid)
                    if t in ('n',):
                        val = v
                    elif t in ('s', 'str', 'inlineStr'):
                        if t == 's':
                            try:
                                v = sst[int(v)]
                            except (ValueError, IndexError):
                                continue
                        if code is None or ('@' not in code and code.count(';') < 3):
                            continue
                        val = 's:' + v
                    else:
                        continue
                    if code is None:
                        code = f'#builtin{fid}'
                    if only and only not in code:
                        continue
                    exp = {}
                    for prog, tab in tables.items():
                        if len(tab) != len(rows):
                            continue
                        row = tab[rowmap[r]]
                        exp[prog] = row[c] if c < len(row) else ''
                    if exp:
                        items.append((rel, name, r, c, code, val, d1904, fid, exp))
    # Builtin ids go through the CLI as "#builtinN" codes resolved here by the CLI's table.
    lines = []
    for it in items:
        code = it[4].replace('\t', ' ').replace('\n', ' ')
        lines.append(f"{code}\t{it[5].replace(chr(10), ' ').replace(chr(9), ' ')}\t{1 if it[6] else 0}\n")
    res = subprocess.run([cli], input=''.join(lines), capture_output=True, text=True).stdout.split('\n')
    stats = Counter()
    fails = defaultdict(list)
    for it, line in zip(items, res):
        ours = line.rsplit('\t', 1)[0]
        exp = it[8]
        ok_any = any(ours == e for e in exp.values())
        ok_strip = any(norm(ours) == norm(e) for e in exp.values())
        stats['cells'] += 1
        for prog, e in exp.items():
            stats[prog + '_n'] += 1
            stats[prog + '_ok'] += ours == e
            stats[prog + '_strip'] += norm(ours) == norm(e)
        stats['either'] += ok_any
        stats['either_strip'] += ok_strip
        if not ok_strip or (every and it[4] != '#builtin0'):
            fails[it[4] + ('' if ok_strip else '  FAIL')].append((it, ours))
    n = stats['cells'] or 1
    print(f"cells {stats['cells']}  either {stats['either']/n:.4f}  either(as scored) {stats['either_strip']/n:.4f}")
    for p in ('lo', 'gn'):
        m = stats[p + '_n'] or 1
        print(f"  {p}: {stats[p+'_n']} cells, exact {stats[p+'_ok']/m:.4f}, as scored {stats[p+'_strip']/m:.4f}")
    shown = 0
    for code, lst in sorted(fails.items(), key=lambda kv: -len(kv[1])):
        it, ours = lst[0]
        print(f"[{len(lst)}] {code!r} v={it[5]!r} 1904={it[6]} ours={ours!r} refs={it[8]} ({it[0]} {it[1]})")
        shown += 1
        if shown >= show:
            break


if __name__ == '__main__':
    main()
