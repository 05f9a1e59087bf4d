#pragma once
// Whether a cell's text fits its column, measured with the advance widths
// of the metric-compatible fonts the pages name (see FontStack.h): numbers,
// dates and times that do not fit show '#' across the cell, as in the
// spreadsheet; General numbers first drop digits; "shrink to fit" scales
// the text down.
#include <cstdint>
#include <string>
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets::html {

// Width in CSS pixels (96 dpi) of `text` in `font`. Carlito's advance widths
// (Calibri's twin) stand for every font, scaled to the digit width of the
// family: Arial and Liberation Sans, and fonts not known here, 1.097;
// Times New Roman and Liberation Serif 0.987; Courier New and Liberation
// Mono are monospaced at 0.6 em. Characters beyond ASCII count as a digit.
double TextWidthPx(std::string_view text, const Font& font);

// What a number shown as `text` shows instead in a cell `cellPx` wide:
// empty when it fits; for General numbers the shortest rounding that fits;
// else '#' repeated across the cell.
std::string FitNumber(std::string_view text, double value, bool general, const Font& font, int64_t cellPx);

// The font size (points) that makes `text` fit a shrink-to-fit cell; 0 when
// it fits as it is.
double ShrunkSize(std::string_view text, const Font& font, int64_t cellPx);

}  // namespace sheets::html
