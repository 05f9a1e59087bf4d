#include "sheets/html/SheetRows.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "sheets/html/CellFit.h"
#include "sheets/html/CondStyle.h"
#include "sheets/html/FillText.h"
#include "sheets/html/HtmlText.h"

namespace sheets::html {
namespace {

using namespace std::string_view_literals;

std::string FitSize(double pt) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", pt);
    return buf;
}

}  // namespace

const std::string& RowWriter::Href(uint32_t link) {
    if (!s_.hrefDone[link]) {
        if (ahead_) throw FrozenMiss{};
        s_.hrefDone[link] = 1;
        const Hyperlink& h = s_.sheet.links[link];
        std::string& href = s_.hrefs[link];
        if (!h.target.empty()) {
            href = SafeExternalUrl(h.target);
            if (!href.empty() && !h.location.empty() && href.find('#') == std::string::npos) href += "#" + h.location;
        } else if (!h.location.empty()) {
            const int64_t target = LocationSheet(s_.doc, h.location);
            if (target >= 0) href = "#" + SheetAnchor(static_cast<uint32_t>(target));
        }
    }
    return s_.hrefs[link];
}

// Conditional formats over the table's style: a rule's format wins where both set something.
const cond::CellLook* RowWriter::LookAt(uint32_t r, uint32_t col, uint32_t format, cond::CellLook& scratch) const {
    const cond::CellLook* look = s_.looks.Empty() ? nullptr : s_.looks.Find(r, col);
    DiffFormat table;
    if (s_.tables.Empty() || !s_.tables.At(r, col, format, table)) return look;
    if (look) scratch = *look;
    cond::PutUnder(table, scratch);
    return &scratch;
}

// A table's empty cells show its stripes and lines like the others.
void RowWriter::AddTableItems(uint32_t r) {
    if (ahead_) throw FrozenMiss{};  // the filler budget is the writer in turn's
    for (const Range& t : s_.tables.Drawn()) {
        if (r < t.row1 || r > t.row2) continue;
        for (uint32_t c = t.col1; c <= t.col2 && s_.fillerBudget > 0; ++c, --s_.fillerBudget) {
            Item item{c};
            item.table = true;
            items_.push_back(item);
        }
    }
}

void RowWriter::BuildItems(uint32_t r, const Row* row) {
    items_.clear();
    if (row)
        for (const Cell& c : row->cells)
            if (c.col < kMaxCols) items_.push_back(Item{c.col, &c});
    bool sorted = true;
    while (mergeNext_ < s_.merges.size() && s_.merges[mergeNext_].row1 <= r) {
        if (s_.merges[mergeNext_].row1 == r) {
            items_.push_back(Item{s_.merges[mergeNext_].col1, nullptr, static_cast<int32_t>(mergeNext_)});
            sorted = false;
        }
        ++mergeNext_;
    }
    while (commentNext_ < s_.comments.size() && s_.sheet.comments[s_.comments[commentNext_]].row <= r) {
        const Comment& c = s_.sheet.comments[s_.comments[commentNext_]];
        if (c.row == r) {
            items_.push_back(Item{c.col, nullptr, -1, static_cast<int32_t>(s_.comments[commentNext_])});
            sorted = false;
        }
        ++commentNext_;
    }
    if (!s_.tables.Drawn().empty()) {
        AddTableItems(r);
        sorted = false;
    }
    // A row or column format fills the cells the row does not have, as far as the table reaches.
    const bool rowStyled = row && row->format >= 0 && s_.doc.styles.ShowsWhenBlank(static_cast<uint32_t>(row->format));
    if ((rowStyled || !s_.styledCols.empty()) && ahead_) throw FrozenMiss{};
    if (rowStyled) {
        for (const Axis::Unit& u : cols_.Units())
            if (s_.fillerBudget > 0) {
                items_.push_back(Item{u.first, nullptr, -1, -1, row->format});
                --s_.fillerBudget;
            }
        sorted = false;
    } else if (!s_.styledCols.empty()) {
        for (uint32_t c : s_.styledCols)
            if (s_.fillerBudget > 0) {
                items_.push_back(Item{c, nullptr, -1, -1, s_.geo.ColFormat(c)});
                --s_.fillerBudget;
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

void RowWriter::EmitEmpty(uint32_t span) {
    if (span == 0) return;
    if (span == 1) {
        out_ += "<td></td>"sv;
    } else {
        out_ += "<td colspan=\""sv;
        AppendInt(out_, int64_t(span));
        out_ += "\"></td>"sv;
    }
}

// Empty cells from rendered column `pos` up to unit `toUnit`, leaving out the
// slots that merged cells of earlier rows cover.
void RowWriter::EmitGap(uint32_t fromCol, uint32_t toCol, uint32_t& pos, uint32_t toUnit) {
    for (auto it = active_.lower_bound(fromCol); it != active_.end() && it->first < toCol; ++it) {
        const uint32_t a = cols_.ColUnitOf(it->first), b = cols_.ColUnitOf(it->second);
        if (a > pos) EmitEmpty(a - pos);
        pos = std::max(pos, b + 1);
    }
    if (toUnit > pos) EmitEmpty(toUnit - pos);
    pos = std::max(pos, toUnit);
}

void RowWriter::EmitText(const Shown& shown, bool wrap) {
    if (!shown.rich && !shown.fill.empty()) {
        AppendFilled(out_, shown.text, shown.fillAt, shown.fill, wrap, s_.doc.styles);
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
        const uint32_t cls = s_.doc.styles.RunClass(run.font);
        if (cls) {
            out_ += "<span class=\"s"sv;
            AppendInt(out_, int64_t(cls));
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

uint32_t RowWriter::FormatAt(uint32_t row, uint32_t col) const {
    const Row* r = s_.geo.FindRow(row);
    if (r) {
        auto c = std::lower_bound(r->cells.begin(), r->cells.end(), col,
                                  [](const Cell& cell, uint32_t v) { return cell.col < v; });
        if (c != r->cells.end() && c->col == col) return c->format;
        if (r->format >= 0) return static_cast<uint32_t>(r->format);
    }
    const int32_t f = s_.geo.ColFormat(col);
    return f >= 0 ? static_cast<uint32_t>(f) : 0;
}

RowWriter::Fit RowWriter::FitOf(const Item& item, uint32_t format, uint32_t lastCol) {
    const CellFormat& f = s_.doc.styles.Format(format);
    if (f.align.rotation != 0 || s_.geo.ColHidden(item.col)) return {};
    const auto& fonts = s_.doc.wb.styles.fonts;
    static const Font kNoFont{};
    const Font& font = f.font < fonts.size() ? fonts[f.font] : kNoFont;
    const int64_t px = s_.geo.X(lastCol + 1) - s_.geo.X(item.col);
    Fit fit;
    const std::string_view text = shown_.rich ? std::string_view(shown_.rich->text) : std::string_view(shown_.text);
    if (f.align.shrink && !f.align.wrap) {
        fit.size = ShrunkSize(text, font, px);
        return fit;
    }
    if (item.cell && item.cell->type == CellType::Number && shown_.kind == ValueKind::Number) {
        fit.shown = FitNumber(text, item.cell->number, s_.doc.texts.IsGeneral(format), font, px);
        if (!fit.shown.empty()) s_.doc.styles.AddRule(".h span{display:none}\n.h::before{content:attr(data-h)}");
    }
    return fit;
}

void RowWriter::EmitCell(uint32_t r, size_t i, uint32_t colspan, uint32_t rowspan, uint32_t lastCol, uint32_t lastRow,
                         bool hiddenCol) {
    const Item& item = items_[i];
    uint32_t format = 0;
    if (item.cell) {
        format = item.cell->format;
        s_.doc.texts.Show(*item.cell, shown_);
    } else {
        shown_ = Shown{};
        if (item.filler >= 0) format = static_cast<uint32_t>(item.filler);
    }
    const bool wrap = s_.doc.styles.Wraps(format);
    cond::CellLook withTable;
    const cond::CellLook* look = LookAt(r, item.col, format, withTable);
    const uint32_t cls = colspan > 1 || rowspan > 1
                             ? s_.doc.styles.MergedCellClass(format, shown_.kind, shown_.color, FormatAt(r, lastCol),
                                                             FormatAt(lastRow, item.col), look)
                         : look ? s_.doc.styles.LookClass(format, shown_.kind, shown_.color, *look)
                                : s_.doc.styles.CellClass(format, shown_.kind, shown_.color);
    const bool empty = shown_.Empty();
    // A bar or icon shown alone: the page keeps the value, out of sight.
    const bool hidden = !empty && look && look->hideValue;
    const Fit fit = empty || hidden ? Fit{} : FitOf(item, format, lastCol);
    if (hidden) s_.doc.styles.AddRule(".hv span{display:none}");
    // Text runs on into an empty neighbour, as in the spreadsheet; elsewhere the cell clips it.
    bool spill = !empty && !wrap && shown_.kind == ValueKind::Text && shown_.fill.empty();
    if (spill && i + 1 < items_.size() && items_[i + 1].col == lastCol + 1 && items_[i + 1].cell &&
        items_[i + 1].cell->type != CellType::Blank)
        spill = false;
    const bool note = item.comment >= 0;
    out_ += "<td"sv;
    if (cls || spill || hiddenCol || !fit.shown.empty() || hidden || item.col < s_.frozen.cols || note) {
        out_ += " class=\""sv;
        size_t mark = out_.size();
        if (cls) {
            out_ += 's';
            AppendInt(out_, int64_t(cls));
        }
        if (spill) out_ += out_.size() > mark ? " o" : "o";
        if (hiddenCol) out_ += out_.size() > mark ? " x" : "x";
        if (item.col < s_.frozen.cols) {
            out_ += out_.size() > mark ? " fc fc" : "fc fc";
            AppendInt(out_, int64_t(item.col));
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
        AppendInt(out_, int64_t(colspan));
        out_ += '"';
    }
    if (rowspan > 1) {
        out_ += " rowspan=\""sv;
        AppendInt(out_, int64_t(rowspan));
        out_ += '"';
    }
    if (item.comment >= 0) {
        out_ += " title=\""sv;
        AppendEscaped(out_, s_.sheet.comments[static_cast<size_t>(item.comment)].text, true);
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
    if (!s_.links.empty()) {
        auto it = s_.links.find(CellKey(r, item.col));
        if (it != s_.links.end() && !Href(it->second).empty()) {
            link = it->second;
            href = &s_.hrefs[it->second];
        }
    }
    if (href) {
        out_ += "<a href=\""sv;
        AppendEscaped(out_, *href, true);
        out_ += '"';
        const std::string& tip = s_.sheet.links[static_cast<size_t>(link)].tooltip;
        if (!tip.empty()) {
            out_ += " title=\""sv;
            AppendEscaped(out_, tip, true);
            out_ += '"';
        }
        out_ += '>';
    }
    const uint32_t rot = s_.doc.styles.RotationClass(format);
    if (rot) {
        out_ += "<span class=\"s"sv;
        AppendInt(out_, int64_t(rot));
        out_ += "\">"sv;
    }
    if (!fit.shown.empty() || hidden) out_ += "<span>"sv;
    EmitText(shown_, wrap);
    if (!fit.shown.empty() || hidden) out_ += "</span>"sv;
    if (rot) out_ += "</span>"sv;
    if (href) out_ += "</a>"sv;
    out_ += "</td>"sv;
}

void RowWriter::WriteRow(uint32_t unit) {
    const Axis::Unit& u = rows_.Units()[unit];
    if (u.spacer) {
        out_ += "<tr style=\"height:"sv;
        AppendInt(out_, int64_t(s_.geo.Y(u.last + 1) - s_.geo.Y(u.first)));
        out_ += "px\"></tr>\n"sv;
        return;
    }
    const uint32_t r = u.first;
    const Row* row = s_.geo.FindRow(r);
    if (row ? row->hidden : s_.sheet.defaultRowsHidden) {
        out_ += "<tr style=\"display:none\">"sv;
    } else {
        out_ += "<tr"sv;
        if (r < s_.frozen.rows) {
            out_ += " class=\"fr fr"sv;
            AppendInt(out_, int64_t(r));
            out_ += '"';
        }
        out_ += " style=\"height:"sv;
        AppendInt(out_, int64_t(s_.geo.RowPx(row)));
        out_ += "px\">"sv;
    }
    while (!expiry_.empty() && expiry_.begin()->first < r) {
        active_.erase(expiry_.begin()->second);
        expiry_.erase(expiry_.begin());
    }

    BuildItems(r, row);
    uint32_t pos = 0, nextCol = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        const uint32_t c = item.col;
        // Inside a merged cell: the spreadsheet shows only the merge's first cell.
        auto cover = active_.upper_bound(c);
        if (cover != active_.begin() && std::prev(cover)->second >= c) continue;
        const bool blank = !item.cell || item.cell->type == CellType::Blank;
        const uint32_t format = item.cell ? item.cell->format : item.filler >= 0 ? uint32_t(item.filler) : 0;
        if (item.merge < 0 && item.comment < 0 && !item.table && blank && !s_.doc.styles.ShowsWhenBlank(format))
            continue;

        uint32_t lastCol = c, lastRow = r;
        if (item.merge >= 0) {
            const Range& m = s_.merges[static_cast<size_t>(item.merge)];
            // Overlapping merges are dropped: a table cannot show them.
            auto clash = active_.upper_bound(m.col2);
            if (clash == active_.begin() || std::prev(clash)->second < m.col1) {
                lastCol = m.col2;
                lastRow = m.row2;
            }
        }
        const uint32_t rc = cols_.ColUnitOf(c);
        EmitGap(nextCol, c, pos, rc);
        const uint32_t colspan = cols_.ColUnitOf(lastCol) - rc + 1;
        const uint32_t rowspan = lastRow == r ? 1 : rows_.UnitOf(lastRow) - unit + 1;
        EmitCell(r, i, colspan, rowspan, lastCol, lastRow, !cols_.Units()[rc].spacer && s_.geo.ColHidden(c));
        if (lastCol != c || lastRow != r) {
            active_.emplace(c, lastCol);
            expiry_.emplace(lastRow, c);
        }
        pos = rc + colspan;
        nextCol = lastCol + 1;
    }
    out_ += "</tr>\n"sv;
    if (!ahead_ && s_.doc.drain && out_.size() >= kDrainAt) s_.doc.drain(out_);
}

}  // namespace sheets::html
