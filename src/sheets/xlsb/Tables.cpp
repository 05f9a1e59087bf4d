#include "sheets/xlsb/Tables.h"

#include <algorithm>

#include "sheets/xlsb/RecordTypes.h"
#include "sheets/xlsb/Worksheet.h"

namespace sheets::xlsb {
namespace {

// Header and total rows beyond this are taken for damage (the format allows
// one of each).
constexpr uint32_t kMaxBandRows = 1u << 20;

}  // namespace

bool TableReader::OnRecord(const Record& r) {
    Payload in(r.data);
    switch (r.type) {
    case rt::BeginList: {
        cur_ = Table{};
        valid_ = ReadRange(in, cur_.range);
        in.U32();  // the kind of list
        in.U32();  // its identifier
        cur_.headerRows = std::min(in.U32(), kMaxBandRows);
        cur_.totalRows = std::min(in.U32(), kMaxBandRows);
        valid_ = valid_ && in.Ok();
        // Without a style record the table shows plain.
        cur_.style.clear();
        inList_ = true;
        break;
    }
    case rt::TableStyleClient: {
        if (!inList_) break;
        const uint16_t flags = in.U16();
        std::string name = in.NullableWideString();
        if (!in.Ok()) break;
        cur_.firstColumn = flags & 0x1;
        cur_.lastColumn = flags & 0x2;
        cur_.rowStripes = flags & 0x4;
        cur_.columnStripes = flags & 0x8;
        cur_.style = std::move(name);
        break;
    }
    case rt::EndList:
        if (inList_ && valid_) out_.push_back(std::move(cur_));
        inList_ = false;
        // One table per part.
        return false;
    default: break;
    }
    return true;
}

}  // namespace sheets::xlsb
