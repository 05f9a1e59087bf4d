#pragma once
// A sheet's background picture, named by the sheet part's relationship id
// (the same in the text and the binary workbook).
#include <cstdint>
#include <string_view>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// Makes the image part that `relId` names the sheet's background, paying its
// size from `budget`. A missing, external, unreadable or oversized part (or
// one past the budget) leaves the sheet without a background.
void ReadBackground(const Package& pkg, const RelIndex& rels, std::string_view relId, Sheet& sheet, uint64_t& budget);

}  // namespace sheets::xlsx
