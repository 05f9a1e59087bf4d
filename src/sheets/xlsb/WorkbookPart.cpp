#include "sheets/xlsb/WorkbookPart.h"

#include "sheets/xlsb/RecordTypes.h"

namespace sheets::xlsb {

bool WorkbookPartReader::OnRecord(const Record& r) {
    Payload in(r.data);
    if (r.type == rt::BundleSh) {
        if (sheets.size() >= kMaxSheets) return true;
        SheetEntry e;
        const uint32_t state = in.U32();
        in.U32();  // tab id
        e.relId = in.NullableWideString();
        e.name = in.WideString();
        if (!in.Ok()) return true;
        e.visibility = state == 1 ? Visibility::Hidden : state == 2 ? Visibility::VeryHidden : Visibility::Visible;
        sheets.push_back(std::move(e));
    } else if (r.type == rt::WbProp) {
        const uint32_t flags = in.U32();
        if (in.Ok()) date1904 = flags & 1;
    } else if (r.type == rt::BookView && !sawView_) {
        in.Skip(24);  // window position and size, tab ratio, first tab
        const uint32_t tab = in.U32();
        if (in.Ok()) {
            sawView_ = true;
            activeTab = tab;
        }
    }
    return true;
}

}  // namespace sheets::xlsb
