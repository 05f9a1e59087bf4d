#pragma once
// The differential formats of the styles part (BrtDXF), which conditional
// formats name by index: a list of the properties each one sets.
#include <cstdint>

#include "sheets/model/Workbook.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsx/Colors.h"

namespace sheets::xlsb {

// One differential format before its colours are resolved.
struct DiffSpec {
    xlsx::ColorSpec fontColor, fillFg, fillBg;
    int8_t bold = -1, italic = -1, strike = -1, underline = -1;
    bool noFill = false;
    // left, right, top, bottom, then the lines between the cells of a range
    // (vertical, horizontal), which table styles draw
    BorderStyle border[6] = {};
    xlsx::ColorSpec borderColor[6];
};

// Reads a BrtDXF's payload; properties that are cut short are left out.
DiffSpec ReadDiffSpec(Payload& in);
DiffFormat ResolveDiff(const DiffSpec& spec, const xlsx::ColorResolver& colors);

}  // namespace sheets::xlsb
