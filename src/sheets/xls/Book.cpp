#include "sheets/xls/Book.h"

#include "sheets/Errors.h"

namespace sheets::xls {

namespace {

const char* ErrorText(uint8_t code) {
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    case 0x2B: return "#GETTING_DATA";
    default: return "#N/A";
    }
}

}  // namespace

void CheckRuns(const RichString& s, size_t fontCount) {
    for (const TextRun& run : s.runs)
        if (run.font >= fontCount)
            throw Error(ErrorKind::Damaged, "The workbook is damaged: rich text names a missing font");
}

uint32_t Book::AddString(RichString s) {
    wb.strings.push_back(std::move(s));
    return uint32_t(wb.strings.size() - 1);
}

uint32_t Book::ErrorString(uint8_t code) {
    auto it = errorStrings.find(code);
    if (it != errorStrings.end()) return it->second;
    uint32_t i = AddString({ErrorText(code), {}});
    errorStrings[code] = i;
    return i;
}

uint32_t Book::CheckedFormat(uint16_t ixfe) const {
    if (styles.XfCount() == 0) return 0;  // a file without formats: all cells default
    if (ixfe >= wb.styles.formats.size())
        throw Error(ErrorKind::Damaged, "The workbook is damaged: a cell refers to a missing format");
    return ixfe;
}

}  // namespace sheets::xls
