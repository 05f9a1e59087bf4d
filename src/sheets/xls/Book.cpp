#include "sheets/xls/Book.h"

#include <string>
#include <vector>

#include "sheets/model/BinaryCodes.h"

namespace sheets::xls {

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
    uint32_t i = AddString({ErrorCodeText(code).empty() ? std::string("#N/A") : std::string(ErrorCodeText(code)), {}});
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
