#!/usr/bin/env python3
"""How many texts of drawing shapes reach the page.

usage: shape_texts.py CORPUS_DIR OUT_DIR [-v]

For every .xlsx/.xlsm under CORPUS_DIR (the refs folder left out), lists the
text of each shape (sp) of its drawing parts, paragraph by paragraph, and
looks for it in OUT_DIR/<same path>.htm, with tags taken out and
whitespace folded. A shape counts as shown when every paragraph of it is on
the page. -v lists the shapes that are not."""
import html, pathlib, re, sys, zipfile
import xml.etree.ElementTree as ET

A = '{http://schemas.openxmlformats.org/drawingml/2006/main}'
XDR = '{http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing}'


def fold(s):
    return ' '.join(s.split())


def shape_texts(data):
    """Each shape's paragraphs, as lists of strings."""
    try:
        root = ET.fromstring(data)
    except ET.ParseError:
        return []
    out = []
    for sp in root.iter(XDR + 'sp'):
        body = sp.find(XDR + 'txBody')
        if body is None:
            continue
        paras = []
        for p in body.iter(A + 'p'):
            t = fold(''.join(x.text or '' for x in p.iter(A + 't')))
            if t:
                paras.append(t)
        if paras:
            out.append(paras)
    return out


def page_text(path):
    try:
        s = path.read_text(encoding='utf-8', errors='replace')
    except OSError:
        return None
    s = re.sub(r'<style.*?</style>', ' ', s, flags=re.S)
    s = re.sub(r'<br\s*/?>', '\n', s)
    s = re.sub(r'<[^>]*>', '', s)
    return fold(html.unescape(s).replace('\u200b', ''))


def main():
    corpus, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    verbose = '-v' in sys.argv[3:]
    total = shown = 0
    for book in sorted(corpus.rglob('*')):
        if book.suffix.lower() not in ('.xlsx', '.xlsm') or 'refs' in book.relative_to(corpus).parts:
            continue
        try:
            z = zipfile.ZipFile(book)
            names = [n for n in z.namelist() if re.match(r'xl/drawings/drawing\d+\.xml$', n)]
            shapes = [s for n in names for s in shape_texts(z.read(n))]
        except (zipfile.BadZipFile, OSError, KeyError, ValueError):
            continue
        if not shapes:
            continue
        page = page_text(out / (str(book.relative_to(corpus)) + '.htm'))
        if page is None:
            page = page_text((out / book.relative_to(corpus)).with_suffix('.htm')) or ''
        for paras in shapes:
            total += 1
            if all(p in page for p in paras):
                shown += 1
            elif verbose:
                print('missing', book.relative_to(corpus), '|', ' / '.join(paras)[:100])
    pct = 100.0 * shown / total if total else 0
    print(f'shape texts on the page: {shown} of {total} ({pct:.1f} %)')


if __name__ == '__main__':
    main()
