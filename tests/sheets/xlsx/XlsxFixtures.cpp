#include "XlsxFixtures.h"

#include <zip.h>

#include <stdexcept>

#include "sheets/Loader.h"
#include "support/TempDir.h"

namespace fixtures {

std::string Xlsxwriter(const std::function<void(lxw_workbook*)>& build) {
    TempDir dir;
    std::string path = dir / "book.xlsx";
    lxw_workbook* wb = workbook_new(path.c_str());
    if (!wb) throw std::runtime_error("workbook_new failed");
    build(wb);
    if (workbook_close(wb) != LXW_NO_ERROR) throw std::runtime_error("workbook_close failed");
    return ReadFileText(path);
}

std::string Zip(const Entries& entries) {
    TempDir dir;
    std::string path = dir / "p.zip";
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) throw std::runtime_error("zip_open failed");
    for (auto& [name, data] : entries) {
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        if (!src || zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0)
            throw std::runtime_error("zip_file_add failed");
    }
    if (zip_close(z) != 0) throw std::runtime_error("zip_close failed");
    return ReadFileText(path);
}

std::string SheetXml(const std::string& sheetData, const std::string& before, const std::string& after) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>)"
           R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
           R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)" +
           before + "<sheetData>" + sheetData + "</sheetData>" + after + "</worksheet>";
}

std::string Package(const std::string& sheetXml, const std::string& sstXml, const std::string& stylesXml,
                    const Entries& extra) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string wbRels =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type=")" +
        rel + R"(worksheet" Target="worksheets/sheet1.xml"/>)";
    if (!sstXml.empty())
        wbRels += R"(<Relationship Id="rId2" Type=")" + rel + R"(sharedStrings" Target="sharedStrings.xml"/>)";
    if (!stylesXml.empty()) wbRels += R"(<Relationship Id="rId3" Type=")" + rel + R"(styles" Target="styles.xml"/>)";
    wbRels += "</Relationships>";
    Entries e = {
        {"[Content_Types].xml",
         R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
         R"(<Default Extension="xml" ContentType="application/xml"/><Default Extension="png" ContentType="image/png"/></Types>)"},
        {"_rels/.rels",
         R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="rId1" Type=")" +
             rel + R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
        {"xl/workbook.xml",
         R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
         R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels", wbRels},
        {"xl/worksheets/sheet1.xml", sheetXml},
    };
    if (!sstXml.empty()) e.emplace_back("xl/sharedStrings.xml", sstXml);
    if (!stylesXml.empty()) e.emplace_back("xl/styles.xml", stylesXml);
    for (auto& x : extra) {
        bool replaced = false;
        for (auto& y : e)
            if (y.first == x.first) {
                y.second = x.second;
                replaced = true;
            }
        if (!replaced) e.push_back(x);
    }
    return Zip(e);
}

sheets::Workbook Load(const std::string& bytes) { return sheets::LoadWorkbookFromMemory(bytes); }

const sheets::Cell* CellAt(const sheets::Sheet& s, uint32_t row, uint32_t col) {
    for (auto& r : s.rows)
        if (r.index == row)
            for (auto& c : r.cells)
                if (c.col == col) return &c;
    return nullptr;
}

std::string TextOf(const sheets::Workbook& wb, const sheets::Cell& c) {
    if (c.type != sheets::CellType::String && c.type != sheets::CellType::Error) return "<not text>";
    return wb.strings.at(c.string).text;
}

}  // namespace fixtures
