#!/usr/bin/env python3
"""Contact sheet of charts as our pages draw them.

usage: contact_sheet.py ENGINE CORPUS_DIR OUT.png [BOOK ...]

Converts each workbook (names relative to CORPUS_DIR; a default set of
about thirty chart kinds from the XlsxWriter comparison files otherwise)
with the engine tool, takes the first chart's <svg> out of each page, lays
them out on one page with the workbook's name under each, and has headless
Chromium (bench/bootstrap installs it) take a screenshot of that page."""
import html, pathlib, re, subprocess, sys, tempfile

DEFAULT = """chart_column01 chart_column02 chart_column03 chart_bar01 chart_bar09 chart_bar10
chart_line01 chart_line03 chart_line05 chart_area01 chart_area02 chart_area03
chart_pie01 chart_doughnut01 chart_doughnut06 chart_scatter01 chart_scatter03 chart_scatter04
chart_radar01 chart_radar03 chart_column04 chart_clustered01 chart_axis17 chart_axis08
chart_axis18 chart_date01 chart_data_labels21 chart_display_units02 chart_gridlines05 chart_chartarea01
chart_font01 chart_layout01 chart_bar16 chart_combined01 chart_axis03 chartsheet01""".split()

CELL_W, CELL_H, COLS = 480, 310, 6


def main():
    engine, corpus, out = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3]).resolve()
    books = sys.argv[4:] or [b + '.xlsx' for b in DEFAULT]
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        cells = []
        for b in books:
            src = corpus / b
            if not src.exists():
                continue
            subprocess.run([engine, '-o', str(tmp), str(src)], check=True, stdout=subprocess.DEVNULL)
            page = (tmp / (src.stem + '.htm')).read_text(encoding='utf-8')
            m = re.search(r'<svg [^>]*role="img".*?</svg>', page, re.S)
            if not m:
                continue
            svg = m.group(0)
            w = int(re.search(r'width="(\d+)"', svg).group(1))
            h = int(re.search(r'height="(\d+)"', svg).group(1))
            scale = min(1.0, (CELL_W - 10) / w, (CELL_H - 30) / h)
            svg = re.sub(r' style="[^"]*"', '', svg, count=1)
            cells.append('<div class="c"><div style="transform:scale(%.3f);transform-origin:0 0;width:%dpx;'
                         'height:%dpx">%s</div><p>%s</p></div>' % (scale, w, h, svg, html.escape(src.stem)))
        rows = (len(cells) + COLS - 1) // COLS
        doc = ('<!DOCTYPE html><html><head><meta charset="utf-8"><style>body{margin:0;background:#fff;'
               'font-family:sans-serif}.c{position:relative;float:left;width:%dpx;height:%dpx;overflow:hidden;'
               'box-sizing:border-box;padding:5px}.c p{position:absolute;bottom:0;left:8px;margin:0;font-size:12px;'
               'color:#555}</style></head><body>%s</body></html>') % (CELL_W, CELL_H, ''.join(cells))
        (tmp / 'sheet.html').write_text(doc, encoding='utf-8')
        subprocess.run(['chromium', '--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
                        '--hide-scrollbars', '--force-device-scale-factor=1',
                        '--window-size=%d,%d' % (CELL_W * COLS, CELL_H * rows), '--screenshot=' + str(out),
                        (tmp / 'sheet.html').as_uri()], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    print('%d charts -> %s' % (len(cells), out))


if __name__ == '__main__':
    main()
