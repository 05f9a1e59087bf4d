// Codes that the two binary formats (.xls and .xlsb) share: cell error
// values, border line styles and fill patterns are numbered the same way in
// both.
#pragma once

#include <cstdint>
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// The text of an error value ("#DIV/0!"), empty for a code no format defines.
std::string_view ErrorCodeText(uint8_t code);

// The line style of a border code, `unknown` for a code past the table.
BorderStyle BorderStyleOfCode(uint8_t code, BorderStyle unknown);

// The hatch of a fill pattern code, None for solid, none and unknown codes.
Hatch HatchOfCode(uint32_t code);

// The icon set of its number in both formats; false for numbers past them.
bool IconSetOfCode(uint32_t code, IconSetKind& out);

// What a formula rule made from a template (the highlight rules a user picks
// from a menu) stands for: its kind, with the period or the average's
// settings put into `rule`; Expression for a plain formula or a template
// this engine does not evaluate. `param` is the template's parameter: which
// text rule, or how many standard deviations from the average.
CfKind CfKindOfTemplate(uint32_t templ, uint32_t param, CondRule& rule);

// The table area a table style element's type code formats; false for the
// pivot-table areas and codes past them.
bool TableAreaOfCode(uint32_t code, TableArea& out);

}  // namespace sheets
