#include "sheets/xlsx/Tables.h"

#include <algorithm>

#include "sheets/Errors.h"
#include "sheets/xlsx/Worksheet.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {
namespace {

// Header and total rows beyond this are taken for damage (the formats allow
// one of each).
constexpr int64_t kMaxBandRows = 1 << 20;

class TableHandler final : public SaxHandler {
public:
    void Start(std::string_view n, Attrs a) override {
        ++depth_;
        if (depth_ == 1 && n == "table") {
            const char* ref = Attr(a, "ref");
            valid = ref && ParseRange(ref, table.range);
            table.headerRows = uint32_t(std::clamp<int64_t>(AttrInt(a, "headerRowCount", 1), 0, kMaxBandRows));
            table.totalRows = uint32_t(std::clamp<int64_t>(AttrInt(a, "totalsRowCount", 0), 0, kMaxBandRows));
        } else if (depth_ == 2 && n == "tableStyleInfo") {
            styled = true;
            table.style = AttrString(a, "name");
            table.rowStripes = AttrBool(a, "showRowStripes", false);
            table.columnStripes = AttrBool(a, "showColumnStripes", false);
            table.firstColumn = AttrBool(a, "showFirstColumn", false);
            table.lastColumn = AttrBool(a, "showLastColumn", false);
            finished = true;
        }
    }
    void End(std::string_view) override { --depth_; }

    Table table;
    bool valid = false, styled = false;

private:
    int depth_ = 0;
};

}  // namespace

void ParseTablePart(std::string_view xml, const std::string& part, std::vector<Table>& out) {
    TableHandler h;
    try {
        ParseXml(xml, h, part);
    } catch (const Error&) {
        return;
    }
    if (!h.valid) return;
    // Without style information a table shows plain.
    if (!h.styled) h.table.style.clear();
    out.push_back(std::move(h.table));
}

}  // namespace sheets::xlsx
