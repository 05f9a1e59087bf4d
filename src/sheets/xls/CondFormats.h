#pragma once
// The conditional formats of a sheet: a CONDFMT record and the CF records
// after it (cell-value and formula rules), and the newer CONDFMT12 with its
// CF12 records (colour scales, data bars, icon sets and the rule kinds the
// older records cannot hold).
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheets/model/BinaryFormula.h"
#include "sheets/model/Workbook.h"
#include "sheets/xls/Book.h"
#include "sheets/xls/Records.h"

namespace sheets::xls {

class CondFormatRecords {
public:
    CondFormatRecords(Book& book, Sheet& sheet) : book_(book), sheet_(sheet) {}
    // False for a record of another kind. A damaged record throws, and
    // costs its own rule only.
    bool Read(const Record& r);

private:
    void Begin(std::string_view data, bool newer);
    void Rule(std::string_view data);
    void NewerRule(std::string_view data);
    void Extension(std::string_view data);
    // The differential format's index in the workbook's table.
    int32_t AddDiff(const DiffFormat& d);
    // Where the rules' formulas count from, and the sheets they may name.
    FormulaBase BaseOf(const CondFormat& f);

    Book& book_;
    Sheet& sheet_;
    uint32_t rulesLeft_ = 0;  // of the format read last
    bool newer_ = false;  // it is a CONDFMT12
    uint32_t order_ = 0;  // rules of the sheet so far: their priority where none is stored
    uint32_t ranges_ = 0;  // of the sheet so far
    std::unordered_map<uint16_t, size_t> byId_;  // CONDFMT ids: their index in Sheet::condFormats
    // The names of the sheets in the workbook's EXTERNSHEET table, once a
    // rule needs them; empty for another workbook's.
    std::vector<std::string> sheetNames_;
    bool namedSheets_ = false;
};

// The DXFN structure of a rule's format: font colour and style, borders and
// fill, colours from the workbook's palette.
DiffFormat ReadDiffFormat(Bytes& in, const StyleTable& styles);

}  // namespace sheets::xls
