#include "sheets/xls/Background.h"

#include <algorithm>
#include <cstdint>

#include "sheets/xls/OfficeArt.h"

namespace sheets::xls {

namespace {

constexpr uint16_t kBitmapFormat = 0x0009;  // the other format, "native", is not described anywhere public

}  // namespace

void ReadBackground(RecordReader& rr, std::string_view first, Sheet& sheet) {
    const std::vector<std::string_view> pieces = WithContinues(rr, first);
    if (first.size() < 8) return;
    Bytes b(first);
    if (b.U16() != kBitmapFormat) return;
    b.U16();
    const uint64_t length = b.U32();
    if (length > kBackgroundMaxBytes) return;
    uint64_t held = 0;
    for (std::string_view p : pieces) held += p.size();
    std::string blob;
    blob.reserve(size_t(std::min<uint64_t>(length, held)));
    for (size_t i = 0; i < pieces.size() && blob.size() < length; ++i) {
        std::string_view p = i == 0 ? pieces[0].substr(8) : pieces[i];
        blob.append(p.substr(0, size_t(length - blob.size())));
    }
    std::string bmp = DibToBmp(blob);
    if (bmp.empty()) return;
    sheet.background.contentType = "image/bmp";
    sheet.background.data = std::move(bmp);
}

}  // namespace sheets::xls
