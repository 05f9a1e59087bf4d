#pragma once
// The conditional formats of a worksheet part: a format's ranges, its rules
// (with their formulas as tokens), and the points and colours of colour
// scales, data bars and icon sets.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/model/BinaryFormula.h"
#include "sheets/model/Workbook.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsx/Colors.h"

namespace sheets::xlsb {

class CondFormatReader {
public:
    // `sheetNames`: the workbook's table of the sheets formulas name (an
    // empty name for one that is not this workbook's), or none.
    CondFormatReader(const xlsx::ColorResolver& colors, Sheet& sheet,
                     const std::vector<std::string>* sheetNames = nullptr)
        : colors_(colors), sheet_(sheet), sheetNames_(sheetNames) {}
    // False for a record of another kind. A record that cannot be what it
    // claims leaves its rule unapplied.
    bool OnRecord(const Record& r);

private:
    void Begin(Payload& in);
    void BeginRule(Payload& in);
    void Point(Payload& in);
    CondRule* Current();
    // Where a format's formulas count from, and the sheets they may name.
    FormulaBase BaseOf(const CondFormat& f) const;

    const xlsx::ColorResolver& colors_;
    Sheet& sheet_;
    const std::vector<std::string>* sheetNames_;
    bool inFormat_ = false, inRule_ = false;
    size_t ranges_ = 0, rules_ = 0;  // of the sheet so far
};

}  // namespace sheets::xlsb
