#include "sheets/model/ControlLists.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "sheets/model/Shape.h"
#include "sheets/model/SheetArea.h"
#include "sheets/numfmt/NumberFormat.h"

namespace sheets {

namespace {

const Cell* Find(const Sheet& sheet, uint32_t row, uint32_t col) {
    const auto& rows = sheet.rows;
    const auto r =
        std::lower_bound(rows.begin(), rows.end(), row, [](const Row& x, uint32_t v) { return x.index < v; });
    if (r == rows.end() || r->index != row) return nullptr;
    const auto c =
        std::lower_bound(r->cells.begin(), r->cells.end(), col, [](const Cell& x, uint32_t v) { return x.col < v; });
    return c != r->cells.end() && c->col == col ? &*c : nullptr;
}

class ItemTexts {
public:
    explicit ItemTexts(const Workbook& wb) : wb_(wb) {}

    // What the cell shows, as its number format makes it.
    std::string Of(const Cell* c) {
        if (!c) return {};
        switch (c->type) {
        case CellType::Blank: return {};
        case CellType::Bool: return c->boolean ? "TRUE" : "FALSE";
        case CellType::String:
        case CellType::Error: return c->string < wb_.strings.size() ? wb_.strings[c->string].text : std::string();
        case CellType::Number: break;
        }
        auto& fmt = formats_[c->format];
        if (!fmt) {
            const std::string_view code =
                c->format < wb_.styles.formats.size() ? std::string_view(wb_.styles.formats[c->format].numFmt) : "";
            fmt = NumberFormat::Compile(code.empty() ? "General" : code);
        }
        return fmt->Format(c->number, wb_.date1904).text;
    }

private:
    const Workbook& wb_;
    std::unordered_map<uint32_t, std::shared_ptr<const NumberFormat>> formats_;
};

void FillList(const Workbook& wb, const Sheet& own, ItemTexts& texts, Shape& s) {
    SheetArea a;
    if (!s.listRange.empty() && ReadSheetArea(wb, &own, s.listRange, a)) {
        s.items.clear();
        // A list runs down a column; a range of a single row runs across it.
        const bool across = a.r1 == a.r2 && a.c1 != a.c2;
        const uint64_t count = across ? uint64_t(a.c2 - a.c1) + 1 : uint64_t(a.r2 - a.r1) + 1;
        size_t bytes = 0;
        for (uint64_t i = 0; i < std::min<uint64_t>(count, kControlMaxItems); ++i) {
            const Cell* c =
                across ? Find(*a.sheet, a.r1, a.c1 + uint32_t(i)) : Find(*a.sheet, a.r1 + uint32_t(i), a.c1);
            std::string t = texts.Of(c);
            bytes += t.size();
            if (bytes > kShapeMaxTextBytes) break;
            s.items.push_back(std::move(t));
        }
    }
    if (s.selected == 0 && !s.linkCell.empty() && ReadSheetArea(wb, &own, s.linkCell, a)) {
        const Cell* c = Find(*a.sheet, a.r1, a.c1);
        if (c && c->type == CellType::Number && c->number >= 1 && c->number <= double(kControlMaxItems))
            s.selected = uint32_t(c->number);
    }
    if (s.selected > s.items.size()) s.selected = 0;  // an index past the list selects nothing
}

}  // namespace

void FillControlLists(Workbook& wb) {
    ItemTexts texts(wb);
    for (Sheet& sheet : wb.sheets)
        for (auto& ptr : sheet.shapes) {
            if (ptr->control != ControlKind::DropDown && ptr->control != ControlKind::ListBox) continue;
            if (ptr->listRange.empty() && ptr->linkCell.empty() && ptr->items.empty()) continue;
            auto s = std::make_shared<Shape>(*ptr);
            FillList(wb, sheet, texts, *s);
            DressList(*s);
            ptr = std::move(s);
        }
}

}  // namespace sheets
