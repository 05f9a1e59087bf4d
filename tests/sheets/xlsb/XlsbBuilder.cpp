#include "XlsbBuilder.h"

#include <cstring>

#include "../xlsx/XlsxFixtures.h"
#include "sheets/Loader.h"

namespace xlsbtest {

namespace {

// Record types, as the format reference numbers them.
enum : uint32_t {
    kRowHdr = 0,
    kSstItem = 19,
    kFont = 43,
    kXf = 47,
    kBeginSheetData = 145,
    kEndSheetData = 146,
    kBeginBook = 131,
    kEndBook = 132,
    kBeginBundleShs = 143,
    kEndBundleShs = 144,
    kWbProp = 153,
    kBundleSh = 156,
    kBeginBookViews = 135,
    kBookView = 158,
    kEndBookViews = 136,
    kBeginSst = 159,
    kEndSst = 160,
    kBeginStyleSheet = 278,
    kEndStyleSheet = 279,
    kIndexedColor = 475,
    kBeginColorPalette = 473,
    kEndColorPalette = 474,
    kBeginIndexedColors = 565,
    kEndIndexedColors = 566,
    kBeginFills = 603,
    kEndFills = 604,
    kBeginFonts = 611,
    kEndFonts = 612,
    kBeginBorders = 613,
    kEndBorders = 614,
    kBeginFmts = 615,
    kEndFmts = 616,
    kBeginCellXfs = 617,
    kEndCellXfs = 618,
    kBeginCellStyleXfs = 626,
    kEndCellStyleXfs = 627,
};

std::string Block(uint32_t begin, uint32_t end, const std::vector<std::string>& records) {
    std::string out = Rec(begin, Bytes().U32(uint32_t(records.size())));
    for (const std::string& r : records) out += r;
    return out + Rec(end);
}

}  // namespace

Bytes& Bytes::U8(uint32_t v) {
    b_.push_back(char(v & 0xFF));
    return *this;
}

Bytes& Bytes::U16(uint32_t v) { return U8(v).U8(v >> 8); }

Bytes& Bytes::U32(uint32_t v) { return U16(v).U16(v >> 16); }

Bytes& Bytes::F64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof v);
    return U32(uint32_t(bits)).U32(uint32_t(bits >> 32));
}

Bytes& Bytes::Str(std::u16string_view s) {
    U32(uint32_t(s.size()));
    for (char16_t c : s) U16(c);
    return *this;
}

Bytes& Bytes::Raw(std::string_view s) {
    b_.append(s);
    return *this;
}

Bytes& Bytes::Color(uint32_t kind, uint32_t index, int tint, uint32_t rgb) {
    return U8(kind << 1 | 1).U8(index).U16(uint32_t(tint)).U8(rgb >> 16).U8(rgb >> 8).U8(rgb).U8(0xFF);
}

std::string Rec(uint32_t type, std::string_view payload) {
    std::string out;
    auto put = [&](uint32_t v) {
        do {
            uint8_t b = v & 0x7F;
            v >>= 7;
            if (v) b |= 0x80;
            out.push_back(char(b));
        } while (v);
    };
    put(type);
    put(uint32_t(payload.size()));
    out.append(payload);
    return out;
}

std::string Rec(uint32_t type, const Bytes& payload) { return Rec(type, std::string_view(payload.str())); }

std::string RowHdr(uint32_t row, uint32_t twips, uint8_t flags, uint32_t format) {
    return Rec(kRowHdr, Bytes().U32(row).U32(format).U16(twips).U8(0).U8(flags).U8(0).U32(0));
}

std::string SheetData(const std::string& rowsAndCells) {
    return Rec(kBeginSheetData) + rowsAndCells + Rec(kEndSheetData);
}

std::string SstItem(std::u16string_view text, const std::vector<std::pair<uint16_t, uint16_t>>& runs) {
    Bytes b;
    b.U8(runs.empty() ? 0 : 1).Str(text);
    if (!runs.empty()) {
        b.U32(uint32_t(runs.size()));
        for (auto [ich, font] : runs) b.U16(ich).U16(font);
    }
    return Rec(kSstItem, b);
}

std::string StringsPart(const std::vector<std::string>& items) {
    std::string out = Rec(kBeginSst, Bytes().U32(uint32_t(items.size())).U32(uint32_t(items.size())));
    for (const std::string& i : items) out += i;
    return out + Rec(kEndSst);
}

std::string FontRec(double points, uint16_t flags, uint16_t weight, uint16_t script, uint8_t underline,
                    const Bytes& color, std::u16string_view name) {
    Bytes b;
    b.U16(uint32_t(points * 20)).U16(flags).U16(weight).U16(script).U8(underline).U8(2).U8(0).U8(0);
    b.Raw(color.str()).U8(0).Str(name);
    return Rec(kFont, b);
}

std::string XfRec(uint16_t parent, uint16_t numFmt, uint16_t font, uint16_t fill, uint16_t border, uint16_t alignFlags,
                  uint8_t rotation, uint8_t indent) {
    return Rec(kXf, Bytes()
                        .U16(parent)
                        .U16(numFmt)
                        .U16(font)
                        .U16(fill)
                        .U16(border)
                        .U8(rotation)
                        .U8(indent)
                        .U16(alignFlags)
                        .U8(0)
                        .U8(0));
}

std::string WorkbookPart(const std::vector<std::string>& names, const std::vector<uint32_t>& states, bool date1904,
                         uint32_t activeTab) {
    std::string out = Rec(kBeginBook);
    out += Rec(kWbProp, Bytes().U32(date1904 ? 1 : 0).U32(0).Str(u""));
    out += Rec(kBeginBookViews) +
           Rec(kBookView, Bytes().U32(0).U32(0).U32(1000).U32(1000).U32(600).U32(0).U32(activeTab).U8(0x78)) +
           Rec(kEndBookViews);
    out += Rec(kBeginBundleShs);
    for (size_t i = 0; i < names.size(); ++i) {
        std::u16string id = u"rId" + std::u16string(1, char16_t(u'1' + i));
        std::u16string name(names[i].begin(), names[i].end());  // the tests' names are ASCII
        out += Rec(kBundleSh, Bytes().U32(i < states.size() ? states[i] : 0).U32(uint32_t(i + 1)).Str(id).Str(name));
    }
    return out + Rec(kEndBundleShs) + Rec(kEndBook);
}

std::string StylesPart(const Styles& st) {
    std::string out = Rec(kBeginStyleSheet);
    out += Block(kBeginFmts, kEndFmts, st.numFmts);
    out += Block(kBeginFonts, kEndFonts, st.fonts);
    out += Block(kBeginFills, kEndFills, st.fills);
    out += Block(kBeginBorders, kEndBorders, st.borders);
    out += Block(kBeginCellStyleXfs, kEndCellStyleXfs, st.styleXfs);
    out += Block(kBeginCellXfs, kEndCellXfs, st.cellXfs);
    if (!st.palette.empty()) {
        out += Rec(kBeginColorPalette) + Rec(kBeginIndexedColors);
        for (uint32_t rgb : st.palette) out += Rec(kIndexedColor, Bytes().U8(rgb >> 16).U8(rgb >> 8).U8(rgb).U8(0));
        out += Rec(kEndIndexedColors) + Rec(kEndColorPalette);
    }
    return out + Rec(kEndStyleSheet);
}

std::string Package(const Book& book) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    fixtures::Entries e;
    e.emplace_back("[Content_Types].xml",
                   R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/)"
                   R"(package/2006/content-types"><Default Extension="bin" ContentType="application/)"
                   R"(vnd.ms-excel.sheet.binary.macroEnabled.main"/><Default Extension="rels" ContentType=")"
                   R"(application/vnd.openxmlformats-package.relationships+xml"/></Types>)");
    e.emplace_back("_rels/.rels",
                   R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.)"
                   R"(org/package/2006/relationships"><Relationship Id="rId1" Type=")" +
                       rel + R"(officeDocument" Target="xl/workbook.bin"/></Relationships>)");
    std::string wbRels = R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.)"
                         R"(openxmlformats.org/package/2006/relationships">)";
    for (size_t i = 0; i < book.sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        wbRels += R"(<Relationship Id="rId)" + n + R"(" Type=")" + rel + R"(worksheet" Target="worksheets/sheet)" + n +
                  R"(.bin"/>)";
        e.emplace_back("xl/worksheets/sheet" + n + ".bin", book.sheets[i]);
    }
    if (!book.styles.empty()) {
        wbRels += R"(<Relationship Id="rIdS" Type=")" + rel + R"(styles" Target="styles.bin"/>)";
        e.emplace_back("xl/styles.bin", book.styles);
    }
    if (!book.strings.empty()) {
        wbRels += R"(<Relationship Id="rIdT" Type=")" + rel + R"(sharedStrings" Target="sharedStrings.bin"/>)";
        e.emplace_back("xl/sharedStrings.bin", book.strings);
    }
    if (!book.theme.empty()) {
        wbRels += R"(<Relationship Id="rIdH" Type=")" + rel + R"(theme" Target="theme/theme1.xml"/>)";
        e.emplace_back("xl/theme/theme1.xml", book.theme);
    }
    e.emplace_back("xl/_rels/workbook.bin.rels", wbRels + "</Relationships>");
    e.emplace_back("xl/workbook.bin", book.workbook.empty() ? WorkbookPart(book.sheetNames) : book.workbook);
    for (const auto& [name, data] : book.extra) {
        bool replaced = false;
        for (auto& entry : e)
            if (entry.first == name) {
                entry.second = data;
                replaced = true;
            }
        if (!replaced) e.emplace_back(name, data);
    }
    return fixtures::Zip(e);
}

sheets::Workbook LoadSheet(const std::string& sheetRecords, const std::string& strings, const std::string& styles) {
    Book b;
    b.sheets = {sheetRecords};
    b.strings = strings;
    b.styles = styles;
    return sheets::LoadWorkbookFromMemory(Package(b));
}

}  // namespace xlsbtest
