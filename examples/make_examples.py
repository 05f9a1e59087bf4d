#!/usr/bin/python3
"""Writes the sample workbooks of this folder.

The .xls files are made with xlwt (Debian: python3-xlwt); the .xlsx files are
written directly as SpreadsheetML parts in a zip archive, so that nothing
beyond the standard library is needed for them. Run from anywhere:
    examples/make_examples.py
The output is deterministic: the same script always writes the same bytes.
"""
import datetime
import os
import zipfile
from xml.sax.saxutils import escape

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))


# --- .xlsx -------------------------------------------------------------------

def col_name(i):
    s = ""
    i += 1
    while i:
        i, r = divmod(i - 1, 26)
        s = chr(65 + r) + s
    return s


STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="2"><numFmt numFmtId="164" formatCode="#,##0.00 &quot;EUR&quot;"/><numFmt numFmtId="165" formatCode="yyyy-mm-dd"/></numFmts>
<fonts count="3"><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><color rgb="FFFFFFFF"/><name val="Calibri"/></font><font><i/><sz val="11"/><color rgb="FF1F4E79"/><name val="Calibri"/></font></fonts>
<fills count="4"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill><fill><patternFill patternType="solid"><fgColor rgb="FF1F4E79"/></patternFill></fill><fill><patternFill patternType="solid"><fgColor rgb="FFDDEBF7"/></patternFill></fill></fills>
<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border><border><left/><right/><top style="thin"><color auto="1"/></top><bottom style="double"><color auto="1"/></bottom><diagonal/></border></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="7">
<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>
<xf numFmtId="0" fontId="1" fillId="2" borderId="0" xfId="0" applyFont="1" applyFill="1" applyAlignment="1"><alignment horizontal="center"/></xf>
<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>
<xf numFmtId="9" fontId="0" fillId="3" borderId="0" xfId="0" applyNumberFormat="1" applyFill="1"/>
<xf numFmtId="164" fontId="1" fillId="2" borderId="1" xfId="0" applyNumberFormat="1" applyFont="1" applyFill="1" applyBorder="1"/>
<xf numFmtId="165" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>
<xf numFmtId="0" fontId="2" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment wrapText="1" vertical="top"/></xf>
</cellXfs>
<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>
</styleSheet>"""


def sheet_xml(rows, widths=(), merges=()):
    """rows: list of lists of (value, style) or None."""
    out = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
           '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">']
    if widths:
        out.append("<cols>")
        for i, w in enumerate(widths):
            out.append('<col min="%d" max="%d" width="%s" customWidth="1"/>' % (i + 1, i + 1, w))
        out.append("</cols>")
    out.append("<sheetData>")
    for r, row in enumerate(rows):
        out.append('<row r="%d">' % (r + 1))
        for c, cell in enumerate(row):
            if cell is None:
                continue
            value, style = cell
            ref = "%s%d" % (col_name(c), r + 1)
            s = ' s="%d"' % style if style else ""
            if isinstance(value, str):
                out.append('<c r="%s"%s t="inlineStr"><is><t xml:space="preserve">%s</t></is></c>'
                           % (ref, s, escape(value)))
            elif isinstance(value, tuple):  # a formula with its cached value
                out.append('<c r="%s"%s><f>%s</f><v>%r</v></c>' % (ref, s, escape(value[0]), value[1]))
            else:
                out.append('<c r="%s"%s><v>%r</v></c>' % (ref, s, value))
        out.append("</row>")
    out.append("</sheetData>")
    if merges:
        out.append('<mergeCells count="%d">' % len(merges))
        out.extend('<mergeCell ref="%s"/>' % m for m in merges)
        out.append("</mergeCells>")
    out.append("</worksheet>")
    return "".join(out)


def write_xlsx(path, sheets):
    """sheets: list of (name, xml)."""
    ns_r = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    ct = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
          '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
          '<Default Extension="xml" ContentType="application/xml"/>'
          '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
          '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>']
    wb = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
          '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="%s"><sheets>' % ns_r]
    rels = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">']
    for i, (name, _) in enumerate(sheets):
        ct.append('<Override PartName="/xl/worksheets/sheet%d.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>' % (i + 1))
        wb.append('<sheet name="%s" sheetId="%d" r:id="rId%d"/>' % (escape(name), i + 1, i + 1))
        rels.append('<Relationship Id="rId%d" Type="%s/worksheet" Target="worksheets/sheet%d.xml"/>' % (i + 1, ns_r, i + 1))
    rels.append('<Relationship Id="rId%d" Type="%s/styles" Target="styles.xml"/>' % (len(sheets) + 1, ns_r))
    ct.append("</Types>")
    wb.append("</sheets></workbook>")
    rels.append("</Relationships>")
    root_rels = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                 '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                 '<Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % ns_r)
    parts = [("[Content_Types].xml", "".join(ct)), ("_rels/.rels", root_rels),
             ("xl/workbook.xml", "".join(wb)), ("xl/_rels/workbook.xml.rels", "".join(rels)),
             ("xl/styles.xml", STYLES)]
    parts += [("xl/worksheets/sheet%d.xml" % (i + 1), xml) for i, (_, xml) in enumerate(sheets)]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts:
            info = zipfile.ZipInfo(name, date_time=(2025, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)


def excel_serial(d):
    return (d - datetime.date(1899, 12, 30)).days


def make_sales():
    regions = [("North", 12850.5, 14020.25), ("South", 9310.0, 8875.75),
               ("East", 15102.4, 16890.0), ("West", 7420.9, 9012.3)]
    rows = [[("Quarterly sales", 1), ("", 1), ("", 1), ("", 1)],
            [("Region", 0), ("Q1", 0), ("Q2", 0), ("Growth", 0)]]
    for i, (name, q1, q2) in enumerate(regions):
        r = i + 3
        rows.append([(name, 0), (q1, 2), (q2, 2), (("C%d/B%d-1" % (r, r), round(q2 / q1 - 1, 6)), 3)])
    n = len(regions) + 2
    rows.append([("Total", 4), (("SUM(B3:B%d)" % n, round(sum(r[1] for r in regions), 2)), 4),
                 (("SUM(C3:C%d)" % n, round(sum(r[2] for r in regions), 2)), 4), None])
    notes = [[("Notes", 1)],
             [("Figures are in euros, before tax. Growth compares the second quarter with the first.", 6)]]
    write_xlsx(os.path.join(HERE, "sales.xlsx"),
               [("Sales", sheet_xml(rows, widths=(14, 16, 16, 10), merges=("A1:D1",))),
                ("Notes", sheet_xml(notes, widths=(40,)))])


def make_schedule():
    start = datetime.date(2025, 3, 3)
    tasks = ["Collect workbooks", "Convert to HTML", "Review pages", "Publish"]
    rows = [[("Task", 1), ("Start", 1), ("Days", 1)]]
    for i, t in enumerate(tasks):
        rows.append([(t, 0), (excel_serial(start + datetime.timedelta(days=3 * i)), 5), (3 + i, 0)])
    write_xlsx(os.path.join(HERE, "schedule.xlsx"), [("Plan", sheet_xml(rows, widths=(22, 12, 6)))])


# --- .xls --------------------------------------------------------------------

def make_inventory():
    book = xlwt.Workbook(encoding="utf-8")
    head = xlwt.easyxf("font: bold on, colour white; pattern: pattern solid, fore_colour dark_blue; align: horiz centre")
    money = xlwt.easyxf(num_format_str="#,##0.00")
    low = xlwt.easyxf("font: colour red, bold on")
    sheet = book.add_sheet("Stock")
    sheet.write_merge(0, 0, 0, 3, "Warehouse stock", head)
    for c, title in enumerate(["Item", "Count", "Unit price", "Value"]):
        sheet.write(1, c, title, head)
    items = [("Bolts M6", 1200, 0.08), ("Nuts M6", 950, 0.05), ("Washers", 40, 0.02), ("Brackets", 75, 2.4)]
    for r, (name, count, price) in enumerate(items, start=2):
        sheet.write(r, 0, name)
        sheet.write(r, 1, count, low if count < 50 else xlwt.Style.default_style)
        sheet.write(r, 2, price, money)
        sheet.write(r, 3, xlwt.Formula("B%d*C%d" % (r + 1, r + 1)), money)
    sheet.col(0).width = 256 * 16
    sheet.col(2).width = 256 * 12
    orders = book.add_sheet("Orders")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    orders.write(0, 0, "Date", head)
    orders.write(0, 1, "Item", head)
    for r, (d, item) in enumerate([(datetime.date(2025, 2, 3), "Washers"), (datetime.date(2025, 2, 17), "Brackets")], 1):
        orders.write(r, 0, d, date)
        orders.write(r, 1, item)
    book.save(os.path.join(HERE, "inventory.xls"))


def make_contacts():
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Contacts")
    bold = xlwt.easyxf("font: bold on; borders: bottom thin")
    for c, title in enumerate(["Name", "City", "Phone"]):
        sheet.write(0, c, title, bold)
    people = [("Ana Müller", "Zürich", "+41 44 000 00 00"), ("Jiří Novák", "Brno", "+420 500 000 000"),
              ("Søren Berg", "Aarhus", "+45 80 00 00 00")]
    for r, row in enumerate(people, start=1):
        for c, v in enumerate(row):
            sheet.write(r, c, v)
    sheet.col(0).width = 256 * 14
    sheet.col(2).width = 256 * 18
    book.save(os.path.join(HERE, "contacts.xls"))


if __name__ == "__main__":
    make_sales()
    make_schedule()
    make_inventory()
    make_contacts()
