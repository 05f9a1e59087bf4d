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
    } else if (r.type == rt::SupSelf || r.type == rt::SupSame || r.type == rt::SupBookSrc || r.type == rt::SupAddin) {
        if (selfLinks_.size() < kMaxSheets) selfLinks_.push_back(r.type == rt::SupSelf);
    } else if (r.type == rt::ExternSheet) {
        ExternSheet(in);
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

void WorkbookPartReader::ExternSheet(Payload& in) {
    const uint32_t count = in.U32();
    // Formulas index the table with 16 bits: a longer one is not read on.
    for (uint32_t i = 0; i < count && externSheets.size() < 65536; ++i) {
        const uint32_t link = in.U32();
        const int32_t first = in.I32(), last = in.I32();
        if (!in.Ok()) return;
        const bool one = link < selfLinks_.size() && selfLinks_[link] && first >= 0 && first == last;
        externSheets.push_back(one ? first : -1);
    }
}

}  // namespace sheets::xlsb
