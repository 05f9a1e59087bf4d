// Rule formulas of the binary workbooks come as tokens straight from the
// file: turn arbitrary bytes into formula text in both layouts, from a base
// cell the first bytes choose, and give the text to the rule evaluator's
// parser as the readers do.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/cond/Formula.h"
#include "sheets/model/BinaryFormula.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    // References to other sheets resolve through a table with a sheet, another
    // workbook's entry and a name that needs quoting.
    static const std::vector<std::string> sheets = {"Data", "", "It's"};
    const sheets::FormulaBase base{uint32_t(data[0]) << 12 | data[1], uint32_t(data[2]) * 64, &sheets};
    const std::string_view tokens(reinterpret_cast<const char*>(data + 3), size - 3);
    for (auto layout : {sheets::TokenLayout::Biff8, sheets::TokenLayout::Biff12}) {
        const auto text = sheets::FormulaText(tokens, layout, base);
        if (text && text->size() > sheets::kMaxFormulaText) __builtin_trap();
        if (text) (void)sheets::cond::Formula::Parse(*text);
    }
    return 0;
}
