#include "sheets/html/SheetTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string_view>

#include "sheets/cond/Engine.h"
#include "sheets/cond/TableLooks.h"
#include "sheets/html/CellFit.h"
#include "sheets/html/CellPictures.h"
#include "sheets/html/CondStyle.h"
#include "sheets/html/FillText.h"
#include "sheets/html/HtmlText.h"
#include "sheets/html/Placement.h"
#include "sheets/html/SheetCharts.h"
#include "sheets/html/SheetGeometry.h"
#include "sheets/html/SheetShapes.h"

namespace sheets::html {
namespace {

using namespace std::string_view_literals;

// Expanding hyperlink ranges over cells stops here, so that a few links over
// whole sheets cannot cost more than the cells themselves.
constexpr size_t kLinkBudget = size_t(1) << 22;
constexpr size_t kDrainAt = size_t(1) << 20;
// Row and column formats fill at most this many absent cells of a sheet: they
// reach across whole rows, and rows times columns can be far more than a page holds.
constexpr size_t kFillerBudget = size_t(1) << 22;

uint64_t Key(uint32_t row, uint32_t col) { return uint64_t(row) << 14 | col; }

std::string FitSize(double pt) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", pt);
    return buf;
}

Range Clamp(Range r) {
    r.row1 = std::min(r.row1, kMaxRows - 1);
    r.row2 = std::min(r.row2, kMaxRows - 1);
    r.col1 = std::min(r.col1, kMaxCols - 1);
    r.col2 = std::min(r.col2, kMaxCols - 1);
    return r;
}

// One place in a row that needs a cell of its own.
struct Item {
    uint32_t col = 0;
    const Cell* cell = nullptr;
    int32_t merge = -1;  // index into the sheet's valid merges, anchored here
    int32_t comment = -1;  // index into Sheet::comments
    int32_t filler = -1;  // the row's or column's format, for a cell the row lacks
    bool table = false;  // inside a table whose empty cells show its style
};

struct ActiveMerge {
    uint32_t col2;
};

// The frozen panes' rows and columns that stay in view: those before these indices.
struct Frozen {
    uint32_t rows = 0, cols = 0;
};

// So many sticky rows and columns at most: more would cover the window.
constexpr uint32_t kMaxFrozenRows = 100, kMaxFrozenCols = 50;

class SheetWriter {
public:
    SheetWriter(Document& doc, uint32_t sheetIndex, std::string& out)
        : doc_(doc), sheet_(doc.wb.sheets[sheetIndex]), geo_(sheet_), out_(out), sheetIndex_(sheetIndex) {}

    void Write(bool hidden);

private:
    void CollectMerges();
    void CollectLinks();
    Axis KeptRows() const;
    Axis KeptCols() const;
    void WriteColumns(const Axis& cols);
    void WriteRow(uint32_t unit, const Axis& rows, const Axis& cols);
    void BuildItems(uint32_t r, const Row* row, const Axis& cols);
    void EmitGap(uint32_t fromCol, uint32_t toCol, uint32_t& pos, const Axis& cols, uint32_t toUnit);
    void EmitEmpty(uint32_t span);
    void EmitCell(uint32_t r, size_t i, uint32_t colspan, uint32_t rowspan, uint32_t lastCol, uint32_t lastRow,
                  bool hiddenCol);
    uint32_t FormatAt(uint32_t row, uint32_t col) const;
    void EmitText(const Shown& shown, bool wrap);
    // A number too wide for its cell, or text that shrinks to fit it.
    struct Fit {
        std::string shown;  // what the cell shows in the value's place; empty: the value
        double size = 0;  // points; 0: the format's own
    };
    Fit FitOf(const Item& item, uint32_t format, uint32_t lastCol);
    int64_t WritePictures();  // the lowest edge they reach
    void Freeze(const Axis& rows, const Axis& cols);
    const std::string& Href(uint32_t link);
    const cond::CellLook* LookAt(uint32_t r, uint32_t col, uint32_t format, cond::CellLook& scratch) const;
    void AddTableItems(uint32_t r);

    Document& doc_;
    const Sheet& sheet_;
    SheetGeometry geo_;
    std::string& out_;
    uint32_t sheetIndex_;

    std::vector<Range> merges_;  // valid ones, by (row1, col1)
    std::unordered_map<uint64_t, uint32_t> links_;  // cell -> index into Sheet::links
    std::vector<std::string> hrefs_;
    std::vector<char> hrefDone_;
    std::vector<size_t> comments_;  // indices into Sheet::comments, by (row, col)
    std::vector<uint32_t> styledCols_;  // kept columns whose format shows when blank
    std::map<uint32_t, ActiveMerge> active_;  // accepted merges covering the current row, by col1
    std::multimap<uint32_t, uint32_t> expiry_;  // last row -> col1 of each entry of active_
    std::vector<Item> items_;
    Shown shown_;
    size_t mergeNext_ = 0, commentNext_ = 0;
    size_t fillerBudget_ = kFillerBudget;
    cond::SheetLooks looks_;  // what conditional formats make of cells
    cond::TableLooks tables_;  // what table styles make of them
    Frozen frozen_;
};

void SheetWriter::CollectMerges() {
    for (const Range& m : sheet_.merges) {
        if (m.row1 > m.row2 || m.col1 > m.col2 || m.row1 >= kMaxRows || m.col1 >= kMaxCols) continue;
        Range c = Clamp(m);
        if (c.row1 == c.row2 && c.col1 == c.col2) continue;
        merges_.push_back(c);
    }
    std::stable_sort(merges_.begin(), merges_.end(), [](const Range& a, const Range& b) {
        return a.row1 != b.row1 ? a.row1 < b.row1 : a.col1 < b.col1;
    });
    for (size_t i = 0; i < sheet_.comments.size(); ++i)
        if (sheet_.comments[i].row < kMaxRows && sheet_.comments[i].col < kMaxCols) comments_.push_back(i);
    std::stable_sort(comments_.begin(), comments_.end(), [&](size_t a, size_t b) {
        const Comment &x = sheet_.comments[a], &y = sheet_.comments[b];
        return x.row != y.row ? x.row < y.row : x.col < y.col;
    });
}

void SheetWriter::CollectLinks() {
    hrefs_.resize(sheet_.links.size());
    hrefDone_.assign(sheet_.links.size(), 0);
    size_t budget = kLinkBudget;
    const auto& rows = geo_.Rows();
    for (uint32_t i = 0; i < sheet_.links.size() && budget; ++i) {
        const Range r = sheet_.links[i].range;
        if (r.row1 > r.row2 || r.col1 > r.col2) continue;
        auto it = std::lower_bound(rows.begin(), rows.end(), r.row1,
                                   [](const Row* row, uint32_t v) { return row->index < v; });
        for (; it != rows.end() && (*it)->index <= r.row2 && budget; ++it) {
            const auto& cells = (*it)->cells;
            auto c = std::lower_bound(cells.begin(), cells.end(), r.col1,
                                      [](const Cell& cell, uint32_t v) { return cell.col < v; });
            for (; c != cells.end() && c->col <= r.col2 && budget; ++c, --budget)
                links_.emplace(Key((*it)->index, c->col), i);
        }
    }
}

const std::string& SheetWriter::Href(uint32_t link) {
    if (!hrefDone_[link]) {
        hrefDone_[link] = 1;
        const Hyperlink& h = sheet_.links[link];
        std::string& href = hrefs_[link];
        if (!h.target.empty()) {
            href = SafeExternalUrl(h.target);
            if (!href.empty() && !h.location.empty() && href.find('#') == std::string::npos) href += "#" + h.location;
        } else if (!h.location.empty()) {
            const int64_t target = LocationSheet(doc_, h.location);
            if (target >= 0) href = "#" + SheetAnchor(static_cast<uint32_t>(target));
        }
    }
    return hrefs_[link];
}

// Conditional formats over the table's style: a rule's format wins where both set something.
const cond::CellLook* SheetWriter::LookAt(uint32_t r, uint32_t col, uint32_t format, cond::CellLook& scratch) const {
    const cond::CellLook* look = looks_.Empty() ? nullptr : looks_.Find(r, col);
    DiffFormat table;
    if (tables_.Empty() || !tables_.At(r, col, format, table)) return look;
    if (look) scratch = *look;
    cond::PutUnder(table, scratch);
    return &scratch;
}

// A table's empty cells show its stripes and lines like the others.
void SheetWriter::AddTableItems(uint32_t r) {
    for (const Range& t : tables_.Drawn()) {
        if (r < t.row1 || r > t.row2) continue;
        for (uint32_t c = t.col1; c <= t.col2 && fillerBudget_ > 0; ++c, --fillerBudget_) {
            Item item{c};
            item.table = true;
            items_.push_back(item);
        }
    }
}

Axis SheetWriter::KeptRows() const {
    std::vector<uint32_t> kept;
    for (const Row* row : geo_.Rows()) {
        for (const Cell& c : row->cells) {
            if (c.col >= kMaxCols) continue;
            if (c.type != CellType::Blank || doc_.styles.ShowsWhenBlank(c.format)) {
                kept.push_back(row->index);
                break;
            }
        }
    }
    for (const Range& m : merges_) {
        kept.push_back(m.row1);
        kept.push_back(m.row2);
    }
    for (size_t i : comments_) kept.push_back(sheet_.comments[i].row);
    for (const Range& t : tables_.Drawn())
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
    for (const Row* row : geo_.Rows())
        for (const Cell& c : row->cells)
            if (c.col < kMaxCols && !isUsed(c.col) &&
                (c.type != CellType::Blank || doc_.styles.ShowsWhenBlank(c.format)))
                use(c.col);
    for (const Range& m : merges_) {
        use(m.col1);
        use(m.col2);
    }
    for (size_t i : comments_) use(sheet_.comments[i].col);
    for (const Range& t : tables_.Drawn())
        for (uint32_t c = t.col1; c <= t.col2; ++c) use(c);
    return Axis(std::move(kept));
}

void SheetWriter::WriteColumns(const Axis& cols) {
    out_ += "<colgroup>"sv;
    for (const Axis::Unit& u : cols.Units()) {
        if (!u.spacer && geo_.ColHidden(u.first)) {
            out_ += "<col style=\"width:0;visibility:collapse\">"sv;
            continue;
        }
        out_ += "<col style=\"width:"sv;
        out_ += std::to_string(geo_.X(u.last + 1) - geo_.X(u.first));
        out_ += "px\">"sv;
    }
    out_ += "</colgroup>\n"sv;
}

void SheetWriter::BuildItems(uint32_t r, const Row* row, const Axis& cols) {
    items_.clear();
    if (row)
        for (const Cell& c : row->cells)
            if (c.col < kMaxCols) items_.push_back(Item{c.col, &c});
    bool sorted = true;
    while (mergeNext_ < merges_.size() && merges_[mergeNext_].row1 <= r) {
        if (merges_[mergeNext_].row1 == r) {
            items_.push_back(Item{merges_[mergeNext_].col1, nullptr, static_cast<int32_t>(mergeNext_)});
            sorted = false;
        }
        ++mergeNext_;
    }
    while (commentNext_ < comments_.size() && sheet_.comments[comments_[commentNext_]].row <= r) {
        const Comment& c = sheet_.comments[comments_[commentNext_]];
        if (c.row == r) {
            items_.push_back(Item{c.col, nullptr, -1, static_cast<int32_t>(comments_[commentNext_])});
            sorted = false;
        }
        ++commentNext_;
    }
    if (!tables_.Drawn().empty()) {
        AddTableItems(r);
        sorted = false;
    }
    // A row or column format fills the cells the row does not have, as far as the table reaches.
    const bool rowStyled = row && row->format >= 0 && doc_.styles.ShowsWhenBlank(static_cast<uint32_t>(row->format));
    if (rowStyled) {
        for (const Axis::Unit& u : cols.Units())
            if (fillerBudget_ > 0) {
                items_.push_back(Item{u.first, nullptr, -1, -1, row->format});
                --fillerBudget_;
            }
        sorted = false;
    } else if (!styledCols_.empty()) {
        for (uint32_t c : styledCols_)
            if (fillerBudget_ > 0) {
                items_.push_back(Item{c, nullptr, -1, -1, geo_.ColFormat(c)});
                --fillerBudget_;
            }
        sorted = false;
    }
    if (!sorted ||
        !std::is_sorted(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return a.col < b.col; }))
        std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return a.col < b.col; });
    // One item per column: the first cell, and whatever else lands there.
    size_t w = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (w > 0 && items_[w - 1].col == items_[i].col) {
            Item& into = items_[w - 1];
            const Item& from = items_[i];
            if (!into.cell) into.cell = from.cell;
            if (into.merge < 0) into.merge = from.merge;
            if (into.comment < 0) into.comment = from.comment;
            if (into.filler < 0) into.filler = from.filler;
            into.table = into.table || from.table;
        } else {
            items_[w++] = items_[i];
        }
    }
    items_.resize(w);
}

void SheetWriter::EmitEmpty(uint32_t span) {
    if (span == 0) return;
    if (span == 1) {
        out_ += "<td></td>"sv;
    } else {
        out_ += "<td colspan=\""sv;
        out_ += std::to_string(span);
        out_ += "\"></td>"sv;
    }
}

// Empty cells from rendered column `pos` up to unit `toUnit`, leaving out the
// slots that merged cells of earlier rows cover.
void SheetWriter::EmitGap(uint32_t fromCol, uint32_t toCol, uint32_t& pos, const Axis& cols, uint32_t toUnit) {
    for (auto it = active_.lower_bound(fromCol); it != active_.end() && it->first < toCol; ++it) {
        const uint32_t a = cols.ColUnitOf(it->first), b = cols.ColUnitOf(it->second.col2);
        if (a > pos) EmitEmpty(a - pos);
        pos = std::max(pos, b + 1);
    }
    if (toUnit > pos) EmitEmpty(toUnit - pos);
    pos = std::max(pos, toUnit);
}

void SheetWriter::EmitText(const Shown& shown, bool wrap) {
    if (!shown.rich && !shown.fill.empty()) {
        AppendFilled(out_, shown.text, shown.fillAt, shown.fill, wrap, doc_.styles);
        return;
    }
    if (!shown.rich) {
        AppendEscaped(out_, shown.text, false, wrap);
        return;
    }
    const std::string& text = shown.rich->text;
    const auto boundary = [&](size_t p) {  // never split a character
        p = std::min(p, text.size());
        while (p < text.size() && (static_cast<unsigned char>(text[p]) & 0xC0) == 0x80) ++p;
        return p;
    };
    size_t pos = 0;
    for (const TextRun& run : shown.rich->runs) {
        const size_t start = boundary(std::max<size_t>(run.start, pos));
        const size_t end = boundary(size_t(run.start) + run.length);
        if (end <= start) continue;
        AppendEscaped(out_, std::string_view(text).substr(pos, start - pos), false, wrap);
        const uint32_t cls = doc_.styles.RunClass(run.font);
        if (cls) {
            out_ += "<span class=\"s"sv;
            out_ += std::to_string(cls);
            out_ += "\">"sv;
        } else {
            out_ += "<span>"sv;
        }
        AppendEscaped(out_, std::string_view(text).substr(start, end - start), false, wrap);
        out_ += "</span>"sv;
        pos = end;
    }
    AppendEscaped(out_, std::string_view(text).substr(pos), false, wrap);
}

uint32_t SheetWriter::FormatAt(uint32_t row, uint32_t col) const {
    const Row* r = geo_.FindRow(row);
    if (r) {
        auto c = std::lower_bound(r->cells.begin(), r->cells.end(), col,
                                  [](const Cell& cell, uint32_t v) { return cell.col < v; });
        if (c != r->cells.end() && c->col == col) return c->format;
        if (r->format >= 0) return static_cast<uint32_t>(r->format);
    }
    const int32_t f = geo_.ColFormat(col);
    return f >= 0 ? static_cast<uint32_t>(f) : 0;
}

SheetWriter::Fit SheetWriter::FitOf(const Item& item, uint32_t format, uint32_t lastCol) {
    const CellFormat& f = doc_.styles.Format(format);
    if (f.align.rotation != 0 || geo_.ColHidden(item.col)) return {};
    const auto& fonts = doc_.wb.styles.fonts;
    const Font font = f.font < fonts.size() ? fonts[f.font] : Font{};
    const int64_t px = geo_.X(lastCol + 1) - geo_.X(item.col);
    Fit fit;
    const std::string_view text = shown_.rich ? std::string_view(shown_.rich->text) : std::string_view(shown_.text);
    if (f.align.shrink && !f.align.wrap) {
        fit.size = ShrunkSize(text, font, px);
        return fit;
    }
    if (item.cell && item.cell->type == CellType::Number && shown_.kind == ValueKind::Number) {
        fit.shown = FitNumber(text, item.cell->number, doc_.texts.IsGeneral(format), font, px);
        if (!fit.shown.empty()) doc_.styles.AddRule(".h span{display:none}\n.h::before{content:attr(data-h)}");
    }
    return fit;
}

void SheetWriter::EmitCell(uint32_t r, size_t i, uint32_t colspan, uint32_t rowspan, uint32_t lastCol, uint32_t lastRow,
                           bool hiddenCol) {
    const Item& item = items_[i];
    uint32_t format = 0;
    if (item.cell) {
        format = item.cell->format;
        doc_.texts.Show(*item.cell, shown_);
    } else {
        shown_ = Shown{};
        if (item.filler >= 0) format = static_cast<uint32_t>(item.filler);
    }
    const bool wrap = doc_.styles.Wraps(format);
    cond::CellLook withTable;
    const cond::CellLook* look = LookAt(r, item.col, format, withTable);
    const uint32_t cls = colspan > 1 || rowspan > 1
                             ? doc_.styles.MergedCellClass(format, shown_.kind, shown_.color, FormatAt(r, lastCol),
                                                           FormatAt(lastRow, item.col), look)
                         : look ? doc_.styles.LookClass(format, shown_.kind, shown_.color, *look)
                                : doc_.styles.CellClass(format, shown_.kind, shown_.color);
    const bool empty = shown_.Empty();
    // A bar or icon shown alone: the page keeps the value, out of sight.
    const bool hidden = !empty && look && look->hideValue;
    const Fit fit = empty || hidden ? Fit{} : FitOf(item, format, lastCol);
    if (hidden) doc_.styles.AddRule(".hv span{display:none}");
    // Text runs on into an empty neighbour, as in the spreadsheet; elsewhere the cell clips it.
    bool spill = !empty && !wrap && shown_.kind == ValueKind::Text && shown_.fill.empty();
    if (spill && i + 1 < items_.size() && items_[i + 1].col == lastCol + 1 && items_[i + 1].cell &&
        items_[i + 1].cell->type != CellType::Blank)
        spill = false;
    const bool note = item.comment >= 0;
    out_ += "<td"sv;
    if (cls || spill || hiddenCol || !fit.shown.empty() || hidden || item.col < frozen_.cols || note) {
        out_ += " class=\""sv;
        size_t mark = out_.size();
        if (cls) {
            out_ += 's';
            out_ += std::to_string(cls);
        }
        if (spill) out_ += out_.size() > mark ? " o" : "o";
        if (hiddenCol) out_ += out_.size() > mark ? " x" : "x";
        if (item.col < frozen_.cols) {
            out_ += out_.size() > mark ? " fc fc" : "fc fc";
            out_ += std::to_string(item.col);
        }
        if (!fit.shown.empty()) out_ += out_.size() > mark ? " h" : "h";
        if (hidden) out_ += out_.size() > mark ? " hv" : "hv";
        if (note) out_ += out_.size() > mark ? " n" : "n";
        out_ += '"';
    }
    if (!fit.shown.empty()) {
        // The page keeps the value; the cell shows what fits in its place.
        out_ += " data-h=\""sv;
        AppendEscaped(out_, fit.shown, true);
        out_ += '"';
    }
    if (fit.size > 0) {
        out_ += " style=\"font-size:"sv;
        out_ += FitSize(fit.size);
        out_ += "pt\""sv;
    }
    if (colspan > 1) {
        out_ += " colspan=\""sv;
        out_ += std::to_string(colspan);
        out_ += '"';
    }
    if (rowspan > 1) {
        out_ += " rowspan=\""sv;
        out_ += std::to_string(rowspan);
        out_ += '"';
    }
    if (item.comment >= 0) {
        out_ += " title=\""sv;
        AppendEscaped(out_, sheet_.comments[static_cast<size_t>(item.comment)].text, true);
        out_ += '"';
    }
    out_ += '>';
    if (look) AppendIcon(out_, *look);
    if (empty) {
        out_ += "</td>"sv;
        return;
    }
    const std::string* href = nullptr;
    int64_t link = -1;
    if (!links_.empty()) {
        auto it = links_.find(Key(r, item.col));
        if (it != links_.end() && !Href(it->second).empty()) {
            link = it->second;
            href = &hrefs_[it->second];
        }
    }
    if (href) {
        out_ += "<a href=\""sv;
        AppendEscaped(out_, *href, true);
        out_ += '"';
        const std::string& tip = sheet_.links[static_cast<size_t>(link)].tooltip;
        if (!tip.empty()) {
            out_ += " title=\""sv;
            AppendEscaped(out_, tip, true);
            out_ += '"';
        }
        out_ += '>';
    }
    const uint32_t rot = doc_.styles.RotationClass(format);
    if (rot) {
        out_ += "<span class=\"s"sv;
        out_ += std::to_string(rot);
        out_ += "\">"sv;
    }
    if (!fit.shown.empty() || hidden) out_ += "<span>"sv;
    EmitText(shown_, wrap);
    if (!fit.shown.empty() || hidden) out_ += "</span>"sv;
    if (rot) out_ += "</span>"sv;
    if (href) out_ += "</a>"sv;
    out_ += "</td>"sv;
}

void SheetWriter::WriteRow(uint32_t unit, const Axis& rows, const Axis& cols) {
    const Axis::Unit& u = rows.Units()[unit];
    if (u.spacer) {
        out_ += "<tr style=\"height:"sv;
        out_ += std::to_string(geo_.Y(u.last + 1) - geo_.Y(u.first));
        out_ += "px\"></tr>\n"sv;
        return;
    }
    const uint32_t r = u.first;
    const Row* row = geo_.FindRow(r);
    if (row ? row->hidden : sheet_.defaultRowsHidden) {
        out_ += "<tr style=\"display:none\">"sv;
    } else {
        out_ += "<tr"sv;
        if (r < frozen_.rows) {
            out_ += " class=\"fr fr"sv;
            out_ += std::to_string(r);
            out_ += '"';
        }
        out_ += " style=\"height:"sv;
        out_ += std::to_string(geo_.RowPx(row));
        out_ += "px\">"sv;
    }
    while (!expiry_.empty() && expiry_.begin()->first < r) {
        active_.erase(expiry_.begin()->second);
        expiry_.erase(expiry_.begin());
    }

    BuildItems(r, row, cols);
    uint32_t pos = 0, nextCol = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        const uint32_t c = item.col;
        // Inside a merged cell: the spreadsheet shows only the merge's first cell.
        auto cover = active_.upper_bound(c);
        if (cover != active_.begin() && std::prev(cover)->second.col2 >= c) continue;
        const bool blank = !item.cell || item.cell->type == CellType::Blank;
        const uint32_t format = item.cell ? item.cell->format : item.filler >= 0 ? uint32_t(item.filler) : 0;
        if (item.merge < 0 && item.comment < 0 && !item.table && blank && !doc_.styles.ShowsWhenBlank(format)) continue;

        uint32_t lastCol = c, lastRow = r;
        if (item.merge >= 0) {
            const Range& m = merges_[static_cast<size_t>(item.merge)];
            // Overlapping merges are dropped: a table cannot show them.
            auto clash = active_.upper_bound(m.col2);
            if (clash == active_.begin() || std::prev(clash)->second.col2 < m.col1) {
                lastCol = m.col2;
                lastRow = m.row2;
            }
        }
        const uint32_t rc = cols.ColUnitOf(c);
        EmitGap(nextCol, c, pos, cols, rc);
        const uint32_t colspan = cols.ColUnitOf(lastCol) - rc + 1;
        const uint32_t rowspan = lastRow == r ? 1 : rows.UnitOf(lastRow) - unit + 1;
        EmitCell(r, i, colspan, rowspan, lastCol, lastRow, !cols.Units()[rc].spacer && geo_.ColHidden(c));
        if (lastCol != c || lastRow != r) {
            active_.emplace(c, ActiveMerge{lastCol});
            expiry_.emplace(lastRow, c);
        }
        pos = rc + colspan;
        nextCol = lastCol + 1;
    }
    out_ += "</tr>\n"sv;
    if (doc_.drain && out_.size() >= kDrainAt) doc_.drain(out_);
}

int64_t SheetWriter::WritePictures() {
    int64_t bottom = 0;
    for (const Picture& p : sheet_.pictures) {
        static constexpr std::string_view kShown[] = {"image/png", "image/jpeg", "image/gif", "image/bmp",
                                                      "image/webp"};
        const std::string type = FoldAscii(p.contentType);
        if (p.data.empty() || std::find(std::begin(kShown), std::end(kShown), type) == std::end(kShown)) continue;
        const Box b = PlaceAnchored(p.from, p.to, p.widthEmu, p.heightEmu, geo_);
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
        if (doc_.drain && out_.size() >= kDrainAt) doc_.drain(out_);
    }
    return bottom;
}

// Frozen rows and columns become sticky cells, still without script. The
// rules carry no weight (:where), so a cell's own fill shows over the white
// that keeps scrolled cells from showing through.
void SheetWriter::Freeze(const Axis& rows, const Axis& cols) {
    if (sheet_.frozenRows <= kMaxFrozenRows) frozen_.rows = sheet_.frozenRows;
    if (sheet_.frozenCols <= kMaxFrozenCols) frozen_.cols = sheet_.frozenCols;
    if (!frozen_.rows && !frozen_.cols) return;
    const std::string scope = ":where(#" + SheetAnchor(sheetIndex_) + " ";
    for (const Axis::Unit& u : cols.Units())
        if (!u.spacer && u.first < frozen_.cols)
            doc_.styles.AddRule(scope + "td.fc" + std::to_string(u.first) + "){position:sticky;left:" +
                                std::to_string(geo_.X(u.first)) + "px;z-index:2;background-color:#fff}");
    for (const Axis::Unit& u : rows.Units())
        if (!u.spacer && u.first < frozen_.rows)
            doc_.styles.AddRule(scope + "tr.fr" + std::to_string(u.first) + ">td){position:sticky;top:" +
                                std::to_string(geo_.Y(u.first)) + "px;z-index:3;background-color:#fff}");
    if (frozen_.rows && frozen_.cols) doc_.styles.AddRule(scope + "tr.fr>td.fc){z-index:4}");
}

void SheetWriter::Write(bool hidden) {
    out_ += "<section id=\"" + SheetAnchor(sheetIndex_) + "\"";
    if (hidden) out_ += " hidden"sv;
    if (sheet_.rightToLeft) out_ += " dir=\"rtl\""sv;
    out_ += "><div class=\"sheet\""sv;
    out_ += BackgroundCss(sheet_);
    out_ += ">\n"sv;
    if (sheet_.kind == SheetKind::Worksheet || sheet_.kind == SheetKind::Macro) {
        CollectMerges();
        CollectLinks();
        if (!sheet_.condFormats.empty())
            looks_ = cond::Evaluate(doc_.wb, sheet_, cond::EngineOptions{cond::TodaySerial(doc_.wb.date1904)});
        if (!sheet_.tables.empty()) tables_ = cond::TableLooks(doc_.wb, sheet_);
        const Axis rows = KeptRows();
        Axis cols = KeptCols();
        cols.Index();
        for (const Axis::Unit& u : cols.Units()) {
            const int32_t f = geo_.ColFormat(u.first);
            if (!u.spacer && f >= 0 && doc_.styles.ShowsWhenBlank(static_cast<uint32_t>(f)))
                styledCols_.push_back(u.first);
        }
        Freeze(rows, cols);
        const int64_t width = cols.Units().empty() ? 0 : geo_.X(cols.Units().back().last + 1);
        out_ += "<table style=\"width:" + std::to_string(width) + "px\">";
        WriteColumns(cols);
        for (uint32_t u = 0; u < rows.Units().size(); ++u) WriteRow(u, rows, cols);
        out_ += "</table>\n"sv;
        // Pictures, shapes and charts lie over the table; a spacer below it
        // keeps the next sheet clear of any that reach further down.
        int64_t bottom = AppendCellPictures(sheet_, doc_.wb.styles, geo_, out_, doc_.drain);
        bottom = std::max(bottom, WritePictures());
        bottom = std::max(bottom, AppendWorksheetShapes(sheet_, geo_, out_, doc_.drain));
        bottom = std::max(bottom, AppendWorksheetCharts(sheet_, geo_, doc_.wb.date1904, out_, doc_.drain));
        const int64_t height = rows.Units().empty() ? 0 : geo_.Y(rows.Units().back().last + 1);
        if (bottom > height)
            out_ += "<div style=\"height:" + std::to_string(std::min<int64_t>(bottom - height, int64_t(1) << 30)) +
                    "px\"></div>\n";
    } else if (sheet_.kind == SheetKind::Chart) {
        AppendChartSheet(sheet_, doc_.wb.date1904, out_, doc_.drain);
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
