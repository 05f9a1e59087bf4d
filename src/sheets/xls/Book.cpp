#include "sheets/xls/Book.h"

#include <algorithm>
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

void Book::AddSupBook(std::string_view body) {
    // This workbook's own entry: a sheet count, then the marker 0x0401.
    ownBooks.push_back(body.size() == 4 && uint8_t(body[2]) == 0x01 && uint8_t(body[3]) == 0x04);
}

void Book::ReadExternSheet(std::string_view body) {
    auto u16 = [&](size_t at) { return uint16_t(uint8_t(body[at]) | uint8_t(body[at + 1]) << 8); };
    if (body.size() < 2) return;
    const size_t count = std::min<size_t>(u16(0), (body.size() - 2) / 6);
    externSheets.clear();
    for (size_t i = 0; i < count; ++i) {
        const uint16_t book = u16(2 + 6 * i), first = u16(4 + 6 * i);
        externSheets.push_back(book < ownBooks.size() && ownBooks[book] && first < 0xFFFE ? int32_t(first) : -1);
    }
}

void Book::SetVersion(uint8_t version) {
    biff = version;
    biff8 = version >= 8;
    ctx.biff8 = biff8;
    ctx.codePage = &codePage;
}

}  // namespace sheets::xls
