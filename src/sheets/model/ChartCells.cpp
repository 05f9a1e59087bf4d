#include "sheets/model/ChartCells.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "sheets/model/Chart.h"

namespace sheets {

namespace {

struct Ref {
    const Sheet* sheet = nullptr;
    uint32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
};

bool Cell(std::string_view s, uint32_t& col, uint32_t& row) {
    size_t i = 0;
    if (i < s.size() && s[i] == '$') ++i;
    uint64_t c = 0;
    size_t letters = 0;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])) && letters < 4) {
        c = c * 26 + uint64_t(std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
        ++i, ++letters;
    }
    if (i < s.size() && s[i] == '$') ++i;
    uint64_t r = 0;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && digits < 8) {
        r = r * 10 + uint64_t(s[i] - '0');
        ++i, ++digits;
    }
    if (i != s.size() || !letters || !digits || c == 0 || c > 16384 || r == 0 || r > 1048576) return false;
    col = uint32_t(c - 1);
    row = uint32_t(r - 1);
    return true;
}

bool Parse(const Workbook& wb, std::string_view f, Ref& out) {
    const size_t bang = f.rfind('!');
    if (bang == std::string_view::npos) return false;
    std::string name;
    std::string_view sheet = f.substr(0, bang);
    if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'') {
        sheet = sheet.substr(1, sheet.size() - 2);
        for (size_t i = 0; i < sheet.size(); ++i) {
            name += sheet[i];
            if (sheet[i] == '\'' && i + 1 < sheet.size() && sheet[i + 1] == '\'') ++i;
        }
    } else {
        name = std::string(sheet);
    }
    for (const auto& s : wb.sheets)
        if (s.name == name) out.sheet = &s;
    if (!out.sheet) return false;
    std::string_view area = f.substr(bang + 1);
    const size_t colon = area.find(':');
    if (!Cell(area.substr(0, colon), out.c1, out.r1)) return false;
    if (colon == std::string_view::npos) {
        out.c2 = out.c1, out.r2 = out.r1;
    } else if (!Cell(area.substr(colon + 1), out.c2, out.r2)) {
        return false;
    }
    if (out.r1 > out.r2) std::swap(out.r1, out.r2);
    if (out.c1 > out.c2) std::swap(out.c1, out.c2);
    // A chart series is one row or one column.
    return uint64_t(out.r2 - out.r1 + 1) * (out.c2 - out.c1 + 1) <= kChartMaxPoints;
}

// The cells of a range in order (row by row), blank ones as null.
std::vector<const sheets::Cell*> Cells(const Ref& r) {
    std::vector<const sheets::Cell*> out(size_t(r.r2 - r.r1 + 1) * (r.c2 - r.c1 + 1), nullptr);
    const auto& rows = r.sheet->rows;
    auto it =
        std::lower_bound(rows.begin(), rows.end(), r.r1, [](const Row& row, uint32_t v) { return row.index < v; });
    for (; it != rows.end() && it->index <= r.r2; ++it)
        for (const auto& c : it->cells)
            if (c.col >= r.c1 && c.col <= r.c2) out[size_t(it->index - r.r1) * (r.c2 - r.c1 + 1) + (c.col - r.c1)] = &c;
    return out;
}

std::string Text(const Workbook& wb, const sheets::Cell* c) {
    if (!c) return {};
    if (c->type == CellType::String && c->string < wb.strings.size()) return wb.strings[c->string].text;
    if (c->type == CellType::Bool) return c->boolean ? "TRUE" : "FALSE";
    return {};
}

void FillSeries(const Workbook& wb, ChartSeries& s) {
    Ref r;
    if (!s.nameRef.empty() && Parse(wb, s.nameRef, r)) {
        for (const auto* c : Cells(r)) {
            std::string t = Text(wb, c);
            if (c && c->type == CellType::Number) t = std::to_string(c->number);
            if (!t.empty()) s.name += (s.name.empty() ? "" : " ") + t;
        }
    }
    auto numbers = [&](const std::string& f, std::vector<double>& out, std::string* format) {
        Ref ref;
        if (f.empty() || !Parse(wb, f, ref)) return;
        const auto cells = Cells(ref);
        out.assign(cells.size(), kNoValue);
        for (size_t i = 0; i < cells.size(); ++i) {
            if (!cells[i] || cells[i]->type != CellType::Number || !std::isfinite(cells[i]->number)) continue;
            out[i] = cells[i]->number;
            if (format && format->empty() && cells[i]->format < wb.styles.formats.size())
                *format = wb.styles.formats[cells[i]->format].numFmt;
        }
        if (format && format->empty()) *format = "General";
    };
    if (!s.valuesRef.empty()) {
        std::string fmt;
        numbers(s.valuesRef, s.values, &fmt);
        s.valueFormat = fmt;
    }
    if (!s.bubbleRef.empty()) numbers(s.bubbleRef, s.bubbleSizes, nullptr);
    if (!s.categoriesRef.empty() && Parse(wb, s.categoriesRef, r)) {
        const auto cells = Cells(r);
        bool text = false;
        for (const auto* c : cells) text = text || (c && c->type == CellType::String);
        if (text || !s.numericCategories) {
            s.categories.clear();
            for (const auto* c : cells) s.categories.push_back(Text(wb, c));
            s.numericCategories = false;
            if (!text) {
                std::string fmt;
                numbers(s.categoriesRef, s.categoryNumbers, &fmt);
                s.categoryFormat = fmt;
            }
        } else {
            std::string fmt;
            numbers(s.categoriesRef, s.categoryNumbers, &fmt);
            s.categoryFormat = fmt;
        }
    }
    s.nameRef.clear();
    s.valuesRef.clear();
    s.categoriesRef.clear();
    s.bubbleRef.clear();
}

}  // namespace

void FillChartsFromCells(Workbook& wb) {
    for (auto& sheet : wb.sheets)
        for (auto& c : sheet.charts) {
            bool needs = false;
            for (const auto& g : c->groups)
                for (const auto& s : g.series)
                    needs = needs || !s.nameRef.empty() || !s.valuesRef.empty() || !s.categoriesRef.empty() ||
                            !s.bubbleRef.empty();
            if (!needs) continue;
            auto copy = std::make_shared<Chart>(*c);
            for (auto& g : copy->groups)
                for (auto& s : g.series) FillSeries(wb, s);
            c = std::move(copy);
        }
}

}  // namespace sheets
