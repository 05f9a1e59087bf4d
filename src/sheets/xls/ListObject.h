#pragma once
// What an OBJ record says about a list box or a drop-down: where its items
// come from, the items it carries itself and the selected one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheets::xls {

struct ListData {
    // The range of the items: on the object's own sheet (externSheet < 0),
    // or through the workbook's EXTERNSHEET table. `hasRange` false when the
    // formula is not a plain reference (a defined name, say).
    bool hasRange = false;
    int32_t externSheet = -1;
    uint32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    std::vector<std::string> items;  // the object's own items, when it keeps them
    uint32_t selected = 0;  // 1-based; 0: none
};

// Reads the list subrecord: `body` from its first byte after the subrecord
// header to the end of the OBJ record. False when it is cut short before
// the selection.
bool ReadListData(std::string_view body, bool dropDown, ListData& out);

// "A1:B9" or "'My sheet'!A1:B9"; `sheet` empty for the object's own.
std::string AreaText(const std::string& sheet, uint32_t r1, uint32_t c1, uint32_t r2, uint32_t c2);

}  // namespace sheets::xls
