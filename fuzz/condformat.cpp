// Conditional-format rules come straight from workbooks: parse arbitrary
// rule formulas and evaluate them over a small sheet, as a formula rule, as
// the operand of a cell-value rule and as a colour-scale point. The first
// byte chooses the rule family the formula is given to.
#include <cstdint>
#include <string>
#include <string_view>

#include "sheets/cond/Engine.h"
#include "sheets/cond/Formula.h"

namespace {

sheets::Workbook Book() {
    sheets::Workbook wb;
    wb.sheets.emplace_back();
    wb.strings.push_back(sheets::RichString{"text", {}});
    wb.strings.push_back(sheets::RichString{"#N/A", {}});
    for (uint32_t r = 0; r < 6; ++r) {
        sheets::Row row;
        row.index = r;
        for (uint16_t c = 0; c < 3; ++c) {
            sheets::Cell cell;
            cell.col = c;
            cell.type = (r + c) % 4 == 0   ? sheets::CellType::String
                        : (r + c) % 4 == 1 ? sheets::CellType::Number
                        : (r + c) % 4 == 2 ? sheets::CellType::Error
                                           : sheets::CellType::Bool;
            if (cell.type == sheets::CellType::Number) cell.number = double(r) * 3 - double(c);
            else if (cell.type == sheets::CellType::Error) cell.string = 1;
            else if (cell.type == sheets::CellType::String) cell.string = 0;
            else cell.boolean = r % 2;
            row.cells.push_back(cell);
        }
        wb.sheets[0].rows.push_back(row);
    }
    // A second sheet for references to another sheet (S2!A1) to read.
    wb.sheets[0].name = "S1";
    wb.sheets.push_back(wb.sheets[0]);
    wb.sheets[1].name = "S2";
    wb.styles.diffs.emplace_back();
    return wb;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const sheets::Workbook kBook = Book();
    if (size == 0) return 0;
    const uint8_t kind = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (auto f = sheets::cond::Formula::Parse(text)) {
        const sheets::cond::CellSource cells(kBook, kBook.sheets[0]);
        sheets::cond::Budget budget{100000};
        sheets::cond::EvalContext ctx{cells, 1, 1, 3, 2, 45000, budget};
        (void)f->Eval(ctx);
    }
    sheets::Workbook wb = kBook;
    sheets::CondRule rule;
    rule.kind = static_cast<sheets::CfKind>(kind % (static_cast<unsigned>(sheets::CfKind::Unknown) + 1));
    rule.op = static_cast<sheets::CfOperator>((kind >> 5) & 7);
    rule.diff = 0;
    rule.formulas = {std::string(text), std::string(text)};
    rule.text = std::string(text);
    sheets::CfPoint point;
    point.kind = sheets::CfPoint::Kind::Formula;
    point.formula = std::string(text);
    sheets::CfPoint last;
    last.kind = sheets::CfPoint::Kind::Max;
    rule.points = {point, last};
    rule.colors = {sheets::Color::Rgb(0), sheets::Color::Rgb(0xFFFFFF)};
    wb.sheets[0].condFormats.push_back(sheets::CondFormat{{sheets::Range{0, 0, 5, 2}}, {rule}});
    (void)sheets::cond::Evaluate(wb, wb.sheets[0], {45000, 1u << 20});
    return 0;
}
