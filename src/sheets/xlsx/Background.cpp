#include "sheets/xlsx/Background.h"

#include <string>

#include "sheets/Errors.h"

namespace sheets::xlsx {

void ReadBackground(const Package& pkg, const RelIndex& rels, std::string_view relId, Sheet& sheet, uint64_t& budget) {
    if (relId.empty()) return;
    const Relationship* r = rels.Find(relId);
    if (!r || r->external || !pkg.Has(r->target)) return;
    // The stated size is checked first, so that a huge image is never inflated.
    if (pkg.Zip().StatedSize(r->target) > kBackgroundMaxBytes) return;
    std::string data;
    try {
        data = pkg.Read(r->target);
    } catch (const Error&) {
        // An image the package cannot give safely costs the background only.
        return;
    }
    if (data.empty() || data.size() > kBackgroundMaxBytes || data.size() > budget) return;
    budget -= data.size();
    sheet.background.contentType = pkg.ImageType(r->target);
    sheet.background.data = std::move(data);
}

}  // namespace sheets::xlsx
