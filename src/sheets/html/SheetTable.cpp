#include "sheets/html/SheetTable.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "sheets/cond/Engine.h"
#include "sheets/cond/TableLooks.h"
#include "sheets/html/CellPictures.h"
#include "sheets/html/HtmlText.h"
#include "sheets/html/Placement.h"
#include "sheets/html/SheetCharts.h"
#include "sheets/html/SheetGeometry.h"
#include "sheets/html/SheetRows.h"
#include "sheets/html/SheetShapes.h"

namespace sheets::html {
namespace {

using namespace std::string_view_literals;

// Expanding hyperlink ranges over cells stops here, so that a few links over
// whole sheets cannot cost more than the cells themselves.
constexpr size_t kLinkBudget = size_t(1) << 22;

Range Clamp(Range r) {
    r.row1 = std::min(r.row1, kMaxRows - 1);
    r.row2 = std::min(r.row2, kMaxRows - 1);
    r.col1 = std::min(r.col1, kMaxCols - 1);
    r.col2 = std::min(r.col2, kMaxCols - 1);
    return r;
}

// So many sticky rows and columns at most: more would cover the window.
constexpr uint32_t kMaxFrozenRows = 100, kMaxFrozenCols = 50;

class SheetWriter {
public:
    SheetWriter(Document& doc, uint32_t sheetIndex, std::string& out) : s_(doc, sheetIndex), out_(out) {}

    void Write(bool hidden);

private:
    void CollectMerges();
    void CollectLinks();
    Axis KeptRows() const;
    Axis KeptCols() const;
    void WriteColumns(const Axis& cols);
    int64_t WritePictures();  // the lowest edge they reach
    void Freeze(const Axis& rows, const Axis& cols);

    SheetState s_;
    std::string& out_;
};

void SheetWriter::CollectMerges() {
    for (const Range& m : s_.sheet.merges) {
        if (m.row1 > m.row2 || m.col1 > m.col2 || m.row1 >= kMaxRows || m.col1 >= kMaxCols) continue;
        Range c = Clamp(m);
        if (c.row1 == c.row2 && c.col1 == c.col2) continue;
        s_.merges.push_back(c);
    }
    std::stable_sort(s_.merges.begin(), s_.merges.end(), [](const Range& a, const Range& b) {
        return a.row1 != b.row1 ? a.row1 < b.row1 : a.col1 < b.col1;
    });
    for (size_t i = 0; i < s_.sheet.comments.size(); ++i)
        if (s_.sheet.comments[i].row < kMaxRows && s_.sheet.comments[i].col < kMaxCols) s_.comments.push_back(i);
    std::stable_sort(s_.comments.begin(), s_.comments.end(), [&](size_t a, size_t b) {
        const Comment &x = s_.sheet.comments[a], &y = s_.sheet.comments[b];
        return x.row != y.row ? x.row < y.row : x.col < y.col;
    });
}

void SheetWriter::CollectLinks() {
    s_.hrefs.resize(s_.sheet.links.size());
    s_.hrefDone.assign(s_.sheet.links.size(), 0);
    size_t budget = kLinkBudget;
    const auto& rows = s_.geo.Rows();
    for (uint32_t i = 0; i < s_.sheet.links.size() && budget; ++i) {
        const Range r = s_.sheet.links[i].range;
        if (r.row1 > r.row2 || r.col1 > r.col2) continue;
        auto it = std::lower_bound(rows.begin(), rows.end(), r.row1,
                                   [](const Row* row, uint32_t v) { return row->index < v; });
        for (; it != rows.end() && (*it)->index <= r.row2 && budget; ++it) {
            const auto& cells = (*it)->cells;
            auto c = std::lower_bound(cells.begin(), cells.end(), r.col1,
                                      [](const Cell& cell, uint32_t v) { return cell.col < v; });
            for (; c != cells.end() && c->col <= r.col2 && budget; ++c, --budget)
                s_.links.emplace(CellKey((*it)->index, c->col), i);
        }
    }
}

Axis SheetWriter::KeptRows() const {
    std::vector<uint32_t> kept;
    for (const Row* row : s_.geo.Rows()) {
        for (const Cell& c : row->cells) {
            if (c.col >= kMaxCols) continue;
            if (c.type != CellType::Blank || s_.doc.styles.ShowsWhenBlank(c.format)) {
                kept.push_back(row->index);
                break;
            }
        }
    }
    for (const Range& m : s_.merges) {
        kept.push_back(m.row1);
        kept.push_back(m.row2);
    }
    for (size_t i : s_.comments) kept.push_back(s_.sheet.comments[i].row);
    for (const Range& t : s_.tables.Drawn())
        for (uint32_t r = t.row1; r <= t.row2; ++r) kept.push_back(r);
    return Axis(std::move(kept));
}

Axis SheetWriter::KeptCols() const {
    // Grown to the columns in use: most sheets use a few of the 16,384.
    std::vector<char> used(64, 0);
    std::vector<uint32_t> kept;
    auto isUsed = [&](uint32_t c) { return c < used.size() && used[c]; };
    auto use = [&](uint32_t c) {
        if (c >= used.size()) used.resize(std::min<size_t>(kMaxCols, std::max<size_t>(c + 1, 2 * used.size())), 0);
        if (!used[c]) {
            used[c] = 1;
            kept.push_back(c);
        }
    };
    for (const Row* row : s_.geo.Rows())
        for (const Cell& c : row->cells)
            if (c.col < kMaxCols && !isUsed(c.col) &&
                (c.type != CellType::Blank || s_.doc.styles.ShowsWhenBlank(c.format)))
                use(c.col);
    for (const Range& m : s_.merges) {
        use(m.col1);
        use(m.col2);
    }
    for (size_t i : s_.comments) use(s_.sheet.comments[i].col);
    for (const Range& t : s_.tables.Drawn())
        for (uint32_t c = t.col1; c <= t.col2; ++c) use(c);
    return Axis(std::move(kept));
}

void SheetWriter::WriteColumns(const Axis& cols) {
    out_ += "<colgroup>"sv;
    for (const Axis::Unit& u : cols.Units()) {
        if (!u.spacer && s_.geo.ColHidden(u.first)) {
            out_ += "<col style=\"width:0;visibility:collapse\">"sv;
            continue;
        }
        out_ += "<col style=\"width:"sv;
        out_ += std::to_string(s_.geo.X(u.last + 1) - s_.geo.X(u.first));
        out_ += "px\">"sv;
    }
    out_ += "</colgroup>\n"sv;
}

int64_t SheetWriter::WritePictures() {
    int64_t bottom = 0;
    for (const Picture& p : s_.sheet.pictures) {
        static constexpr std::string_view kShown[] = {"image/png", "image/jpeg", "image/gif", "image/bmp",
                                                      "image/webp"};
        const std::string type = FoldAscii(p.contentType);
        if (p.data.empty() || std::find(std::begin(kShown), std::end(kShown), type) == std::end(kShown)) continue;
        const Box b = PlaceAnchored(p.from, p.to, p.widthEmu, p.heightEmu, s_.geo);
        if (b.w <= 0 || b.h <= 0) continue;
        const double keptW = 1 - p.crop[0] - p.crop[2], keptH = 1 - p.crop[1] - p.crop[3];
        const bool cropped = (p.crop[0] != 0 || p.crop[1] != 0 || p.crop[2] != 0 || p.crop[3] != 0) && keptW > 0.01 &&
                             keptH > 0.01 && keptW <= 100 && keptH <= 100;
        const std::string box = "left:" + std::to_string(b.x) + "px;top:" + std::to_string(b.y) +
                                "px;width:" + std::to_string(b.w) + "px;height:" + std::to_string(b.h) + "px";
        if (cropped) {
            // The frame shows the kept part of the image, scaled to fill it.
            const double fullW = double(b.w) / keptW, fullH = double(b.h) / keptH;
            out_ += "<div style=\"position:absolute;overflow:hidden;" + box + "\">";
            out_ += "<img style=\"position:absolute;left:" + std::to_string(std::lround(-p.crop[0] * fullW)) +
                    "px;top:" + std::to_string(std::lround(-p.crop[1] * fullH)) +
                    "px;width:" + std::to_string(std::lround(fullW)) +
                    "px;height:" + std::to_string(std::lround(fullH)) + "px\" alt=\"";
        } else {
            out_ += "<img style=\"position:absolute;" + box + "\" alt=\"";
        }
        AppendEscaped(out_, p.description, true);
        out_ += "\" src=\"data:" + type + ";base64,";
        AppendBase64(out_, p.data);
        out_ += cropped ? "\"></div>\n"sv : "\">\n"sv;
        bottom = std::max(bottom, b.y + b.h);
        if (s_.doc.drain && out_.size() >= kDrainAt) s_.doc.drain(out_);
    }
    return bottom;
}

// Frozen rows and columns become sticky cells, still without script. The
// rules carry no weight (:where), so a cell's own fill shows over the white
// that keeps scrolled cells from showing through.
void SheetWriter::Freeze(const Axis& rows, const Axis& cols) {
    if (s_.sheet.frozenRows <= kMaxFrozenRows) s_.frozen.rows = s_.sheet.frozenRows;
    if (s_.sheet.frozenCols <= kMaxFrozenCols) s_.frozen.cols = s_.sheet.frozenCols;
    if (!s_.frozen.rows && !s_.frozen.cols) return;
    const std::string scope = ":where(#" + SheetAnchor(s_.sheetIndex) + " ";
    for (const Axis::Unit& u : cols.Units())
        if (!u.spacer && u.first < s_.frozen.cols)
            s_.doc.styles.AddRule(scope + "td.fc" + std::to_string(u.first) + "){position:sticky;left:" +
                                  std::to_string(s_.geo.X(u.first)) + "px;z-index:2;background-color:#fff}");
    for (const Axis::Unit& u : rows.Units())
        if (!u.spacer && u.first < s_.frozen.rows)
            s_.doc.styles.AddRule(scope + "tr.fr" + std::to_string(u.first) + ">td){position:sticky;top:" +
                                  std::to_string(s_.geo.Y(u.first)) + "px;z-index:3;background-color:#fff}");
    if (s_.frozen.rows && s_.frozen.cols) s_.doc.styles.AddRule(scope + "tr.fr>td.fc){z-index:4}");
}

void SheetWriter::Write(bool hidden) {
    out_ += "<section id=\"" + SheetAnchor(s_.sheetIndex) + "\"";
    if (hidden) out_ += " hidden"sv;
    if (s_.sheet.rightToLeft) out_ += " dir=\"rtl\""sv;
    out_ += "><div class=\"sheet\""sv;
    out_ += BackgroundCss(s_.sheet);
    out_ += ">\n"sv;
    if (s_.sheet.kind == SheetKind::Worksheet || s_.sheet.kind == SheetKind::Macro) {
        CollectMerges();
        CollectLinks();
        if (!s_.sheet.condFormats.empty())
            s_.looks = cond::Evaluate(s_.doc.wb, s_.sheet, cond::EngineOptions{cond::TodaySerial(s_.doc.wb.date1904)});
        if (!s_.sheet.tables.empty()) s_.tables = cond::TableLooks(s_.doc.wb, s_.sheet);
        const Axis rows = KeptRows();
        Axis cols = KeptCols();
        cols.Index();
        for (const Axis::Unit& u : cols.Units()) {
            const int32_t f = s_.geo.ColFormat(u.first);
            if (!u.spacer && f >= 0 && s_.doc.styles.ShowsWhenBlank(static_cast<uint32_t>(f)))
                s_.styledCols.push_back(u.first);
        }
        Freeze(rows, cols);
        const int64_t width = cols.Units().empty() ? 0 : s_.geo.X(cols.Units().back().last + 1);
        out_ += "<table style=\"width:" + std::to_string(width) + "px\">";
        WriteColumns(cols);
        WriteRows(s_, rows, cols, out_);
        out_ += "</table>\n"sv;
        // Pictures, shapes and charts lie over the table; a spacer below it
        // keeps the next sheet clear of any that reach further down.
        int64_t bottom = AppendCellPictures(s_.sheet, s_.doc.wb.styles, s_.geo, out_, s_.doc.drain);
        bottom = std::max(bottom, WritePictures());
        bottom = std::max(bottom, AppendWorksheetShapes(s_.sheet, s_.geo, out_, s_.doc.drain));
        bottom = std::max(bottom, AppendWorksheetCharts(s_.sheet, s_.geo, s_.doc.wb.date1904, out_, s_.doc.drain));
        const int64_t height = rows.Units().empty() ? 0 : s_.geo.Y(rows.Units().back().last + 1);
        if (bottom > height)
            out_ += "<div style=\"height:" + std::to_string(std::min<int64_t>(bottom - height, int64_t(1) << 30)) +
                    "px\"></div>\n";
    } else if (s_.sheet.kind == SheetKind::Chart) {
        AppendChartSheet(s_.sheet, s_.doc.wb.date1904, out_, s_.doc.drain);
    }
    out_ += "</div></section>\n"sv;
}

}  // namespace

std::string SheetAnchor(uint32_t sheetIndex) { return "sheet" + std::to_string(sheetIndex + 1); }

int64_t LocationSheet(const Document& doc, std::string_view loc) {
    if (!loc.empty() && loc.front() == '#') loc.remove_prefix(1);
    std::string name;
    if (!loc.empty() && loc.front() == '\'') {
        size_t i = 1;
        for (; i < loc.size(); ++i) {
            if (loc[i] != '\'') {
                name += loc[i];
            } else if (i + 1 < loc.size() && loc[i + 1] == '\'') {
                name += '\'';
                ++i;
            } else {
                break;
            }
        }
        if (i >= loc.size() || i + 1 >= loc.size() || loc[i + 1] != '!') return -1;
    } else {
        const size_t bang = loc.find('!');
        if (bang == std::string_view::npos) return -1;
        name = std::string(loc.substr(0, bang));
    }
    auto it = doc.shownSheets.find(FoldAscii(name));
    return it == doc.shownSheets.end() ? int64_t(-1) : int64_t(it->second);
}

void AppendSheet(Document& doc, uint32_t sheetIndex, bool hidden, std::string& out) {
    SheetWriter(doc, sheetIndex, out).Write(hidden);
}

}  // namespace sheets::html
