#pragma once
// One CF12 record: a rule of the newer kinds (colour scales, data bars,
// icon sets, top and bottom, averages, templates of formula rules) with the
// format and the points it carries.
#include <string_view>

#include "sheets/model/BinaryFormula.h"
#include "sheets/model/Workbook.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/XlsStyles.h"

namespace sheets::xls {

class NewerRuleReader {
public:
    NewerRuleReader(std::string_view data, const StyleTable& styles, FormulaBase base)
        : in_(data), styles_(styles), base_(base) {}
    // The rule, Unknown where it cannot be read whole. Throws when the
    // record is cut short.
    CondRule Read();
    bool HasDiff() const { return hasDiff_; }
    const DiffFormat& Diff() const { return diff_; }

private:
    void Formulas(CondRule& r, uint8_t type, uint8_t op);
    void Template(CondRule& r, uint16_t templ, std::string_view params);
    bool Point(CondRule& r, bool withEqual);
    bool Colour(CondRule& r);
    bool Gradient(CondRule& r);
    bool DataBar(CondRule& r);
    bool IconSet(CondRule& r);
    bool Filter(CondRule& r);

    Bytes in_;
    const StyleTable& styles_;
    FormulaBase base_;
    bool hasDiff_ = false;
    DiffFormat diff_;
    std::string_view tokens1_, tokens2_;
};

}  // namespace sheets::xls
