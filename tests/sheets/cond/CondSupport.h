#pragma once
// Sheets built in code for the conditional-format engine's tests.
#include <string>
#include <vector>

#include "sheets/cond/Engine.h"
#include "sheets/html/HtmlSupport.h"

namespace condtest {

// A sheet whose column A holds `values` from row 1 down.
inline sheets::Workbook Column(const std::vector<double>& values) {
    sheets::Workbook wb = htmltest::OneSheet();
    for (size_t i = 0; i < values.size(); ++i) htmltest::PutNumber(wb.sheets[0], uint32_t(i), 0, values[i]);
    return wb;
}

// One format over `ref` (A1-style, 0-based here as a Range) with one rule.
inline sheets::CondRule& AddRule(sheets::Sheet& s, sheets::Range r, sheets::CfKind kind, int32_t diff = 0) {
    s.condFormats.push_back(sheets::CondFormat{{r}, {}});
    sheets::CondRule rule;
    rule.kind = kind;
    rule.diff = diff;
    rule.priority = uint32_t(s.condFormats.size());
    s.condFormats.back().rules.push_back(rule);
    return s.condFormats.back().rules.back();
}

// A workbook whose differential format 0 fills red.
inline void RedFill(sheets::Workbook& wb) {
    sheets::DiffFormat d;
    d.fill = sheets::Color::Rgb(0xFF0000);
    wb.styles.diffs.push_back(d);
}

// The rows (0-based, column A) whose cells the rules changed.
inline std::vector<uint32_t> Matched(const sheets::Workbook& wb, double today = 45000) {
    const sheets::cond::SheetLooks looks = sheets::cond::Evaluate(wb, wb.sheets[0], {today});
    std::vector<uint32_t> rows;
    for (const sheets::Row& r : wb.sheets[0].rows)
        if (const auto* l = looks.Find(r.index, 0); l && (l->diff.fill.set || l->bar || l->icon >= 0))
            rows.push_back(r.index);
    return rows;
}

}  // namespace condtest
