#pragma once
// Small workbook models built in code for the HTML writer's tests.
#include <string>
#include <string_view>

#include "sheets/html/HtmlWriter.h"
#include "sheets/model/Workbook.h"

namespace htmltest {

inline uint32_t AddString(sheets::Workbook& wb, std::string text) {
    wb.strings.push_back(sheets::RichString{std::move(text), {}});
    return static_cast<uint32_t>(wb.strings.size() - 1);
}

inline sheets::Row& RowAt(sheets::Sheet& s, uint32_t index) {
    if (!s.rows.empty() && s.rows.back().index == index) return s.rows.back();  // filling row by row
    for (auto& r : s.rows)
        if (r.index == index) return r;
    s.rows.push_back(sheets::Row{});
    s.rows.back().index = index;
    return s.rows.back();
}

inline void PutNumber(sheets::Sheet& s, uint32_t row, uint16_t col, double v, uint32_t format = 0) {
    sheets::Cell c;
    c.col = col;
    c.type = sheets::CellType::Number;
    c.number = v;
    c.format = format;
    RowAt(s, row).cells.push_back(c);
}

inline void PutText(sheets::Workbook& wb, sheets::Sheet& s, uint32_t row, uint16_t col, std::string text,
                    uint32_t format = 0, sheets::CellType type = sheets::CellType::String) {
    sheets::Cell c;
    c.col = col;
    c.type = type;
    c.string = AddString(wb, std::move(text));
    c.format = format;
    RowAt(s, row).cells.push_back(c);
}

inline void PutBlank(sheets::Sheet& s, uint32_t row, uint16_t col, uint32_t format) {
    sheets::Cell c;
    c.col = col;
    c.format = format;
    RowAt(s, row).cells.push_back(c);
}

inline sheets::Workbook OneSheet(std::string name = "Sheet1") {
    sheets::Workbook wb;
    wb.sheets.push_back(sheets::Sheet{});
    wb.sheets.back().name = std::move(name);
    return wb;
}

inline std::string Render(const sheets::Workbook& wb, sheets::HtmlOptions o = {}) { return sheets::RenderHtml(wb, o); }

inline size_t Count(std::string_view hay, std::string_view needle) {
    size_t n = 0;
    for (size_t p = hay.find(needle); p != std::string_view::npos; p = hay.find(needle, p + needle.size())) ++n;
    return n;
}

// The body of the page, from <body>: what the tests look at without the style sheet.
inline std::string Body(const std::string& page) { return page.substr(page.find("<body>")); }

}  // namespace htmltest
