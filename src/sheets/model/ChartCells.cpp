#include "sheets/model/ChartCells.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "sheets/model/Chart.h"
#include "sheets/model/SheetArea.h"

namespace sheets {

namespace {

// A chart series is one row or one column.
bool Parse(const Workbook& wb, std::string_view f, SheetArea& out) {
    return ReadSheetArea(wb, nullptr, f, out) &&
           uint64_t(out.r2 - out.r1 + 1) * (out.c2 - out.c1 + 1) <= kChartMaxPoints;
}

// The cells of a range in order (row by row), blank ones as null.
std::vector<const sheets::Cell*> Cells(const SheetArea& r) {
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
    SheetArea r;
    if (!s.nameRef.empty() && Parse(wb, s.nameRef, r)) {
        for (const auto* c : Cells(r)) {
            std::string t = Text(wb, c);
            if (c && c->type == CellType::Number) t = std::to_string(c->number);
            if (!t.empty()) s.name += (s.name.empty() ? "" : " ") + t;
        }
    }
    auto numbers = [&](const std::string& f, std::vector<double>& out, std::string* format) {
        SheetArea ref;
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
