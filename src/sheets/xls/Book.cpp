#include "sheets/xls/Book.h"

#include <vector>

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

void DropBadRuns(RichString& s, size_t fontCount) {
    std::erase_if(s.runs, [&](const TextRun& run) { return run.font >= fontCount; });
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

void Book::SetVersion(uint8_t version) {
    biff = version;
    biff8 = version >= 8;
    ctx.biff8 = biff8;
    ctx.codePage = &codePage;
}

}  // namespace sheets::xls
