#include "sheets/html/CellPictures.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "sheets/html/HtmlText.h"

namespace sheets::html {

namespace {

using namespace std::string_view_literals;

constexpr size_t kDrainAt = size_t(1) << 20;

// The cell's alignment as an object-position; a picture is not a number or
// text, so General centres it, and the vertical default is the cell's bottom.
std::string_view Position(const Alignment& a) {
    const bool left = a.horizontal == HAlign::Left, right = a.horizontal == HAlign::Right;
    switch (a.vertical) {
    case VAlign::Top: return left ? "left top"sv : right ? "right top"sv : "center top"sv;
    case VAlign::Center: return left ? "left center"sv : right ? "right center"sv : "center center"sv;
    default: return left ? "left bottom"sv : right ? "right bottom"sv : "center bottom"sv;
    }
}

const Alignment& AlignmentAt(const Styles& styles, const SheetGeometry& geo, uint32_t r, uint32_t c) {
    static const Alignment kDefault;
    const Row* row = geo.FindRow(r);
    if (!row) return kDefault;
    auto cell =
        std::lower_bound(row->cells.begin(), row->cells.end(), c, [](const Cell& x, uint32_t v) { return x.col < v; });
    if (cell == row->cells.end() || cell->col != c || cell->format >= styles.formats.size()) return kDefault;
    return styles.formats[cell->format].align;
}

}  // namespace

bool BrowserShowsImage(std::string_view type) {
    static constexpr std::string_view kShown[] = {"image/png", "image/jpeg", "image/gif", "image/bmp", "image/webp"};
    return std::find(std::begin(kShown), std::end(kShown), type) != std::end(kShown);
}

int64_t AppendCellPictures(const Sheet& sheet, const Styles& styles, const SheetGeometry& geo, std::string& out,
                           const Drain& drain) {
    if (sheet.cellPictures.empty()) return 0;
    // A picture in the first cell of a merged range fills the range.
    std::unordered_map<uint64_t, const Range*> merged;
    for (const Range& m : sheet.merges)
        if (m.row1 <= m.row2 && m.col1 <= m.col2 && m.row2 < kMaxRows && m.col2 < kMaxCols)
            merged.emplace(uint64_t(m.row1) << 14 | m.col1, &m);
    int64_t bottom = 0;
    for (const CellPicture& p : sheet.cellPictures) {
        if (!p.data || p.data->empty() || p.row >= kMaxRows || p.col >= kMaxCols) continue;
        const std::string type = FoldAscii(p.contentType);
        if (!BrowserShowsImage(type)) continue;
        uint32_t lastRow = p.row, lastCol = p.col;
        if (auto m = merged.find(uint64_t(p.row) << 14 | p.col); m != merged.end()) {
            lastRow = m->second->row2;
            lastCol = m->second->col2;
        }
        const int64_t x = geo.X(p.col), y = geo.Y(p.row);
        const int64_t w = geo.X(lastCol + 1) - x, h = geo.Y(lastRow + 1) - y;
        if (w <= 0 || h <= 0 || geo.ColHidden(p.col) || geo.RowHidden(p.row)) continue;
        out += "<img style=\"position:absolute;left:" + std::to_string(x) + "px;top:" + std::to_string(y) +
               "px;width:" + std::to_string(w) + "px;height:" + std::to_string(h) +
               "px;object-fit:contain;object-position:";
        out += Position(AlignmentAt(styles, geo, p.row, p.col));
        out += "\" alt=\""sv;
        AppendEscaped(out, p.description, true);
        out += "\" src=\"data:" + type + ";base64,";
        AppendBase64(out, *p.data);
        out += "\">\n"sv;
        bottom = std::max(bottom, y + h);
        if (drain && out.size() >= kDrainAt) drain(out);
    }
    return bottom;
}

std::string BackgroundCss(const Sheet& sheet) {
    const Picture& bg = sheet.background;
    const std::string type = FoldAscii(bg.contentType);
    if (bg.data.empty() || bg.data.size() > kBackgroundMaxBytes || !BrowserShowsImage(type)) return {};
    std::string css = " style=\"min-height:100vh;background-image:url(data:" + type + ";base64,";
    AppendBase64(css, bg.data);
    css += ")\"";
    return css;
}

}  // namespace sheets::html
