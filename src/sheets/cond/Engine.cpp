#include "sheets/cond/Engine.h"

#include <algorithm>

#include "sheets/cond/Rules.h"

namespace sheets::cond {
namespace {

struct Ordered {
    const CondFormat* format;
    const CondRule* rule;
};

// Every stored cell of the format's ranges, once, in row order.
bool Gather(const CellSource& source, const CondFormat& f, Budget& budget, std::vector<RuleCell>& out) {
    out.clear();
    for (const Range& r0 : f.ranges) {
        Range r = r0;
        if (r.row1 > r.row2 || r.col1 > r.col2 || r.row1 > kLastRow || r.col1 > kLastCol) continue;
        r.row2 = std::min(r.row2, kLastRow);
        r.col2 = std::min(r.col2, kLastCol);
        const bool ok = source.ForEach(r, budget, [&](uint32_t row, const Cell& c) {
            out.push_back(RuleCell{row, c.col, source.Of(c)});
        });
        if (!ok) return false;
    }
    if (f.ranges.size() > 1) {
        const auto before = [](const RuleCell& a, const RuleCell& b) {
            return a.row != b.row ? a.row < b.row : a.col < b.col;
        };
        const auto same = [](const RuleCell& a, const RuleCell& b) { return a.row == b.row && a.col == b.col; };
        std::sort(out.begin(), out.end(), before);
        out.erase(std::unique(out.begin(), out.end(), same), out.end());
    }
    return true;
}

void Merge(DiffFormat& into, const DiffFormat& from) {
    if (!into.fontColor.set) into.fontColor = from.fontColor;
    if (!into.fill.set) into.fill = from.fill;
    for (auto field : {&DiffFormat::bold, &DiffFormat::italic, &DiffFormat::strike, &DiffFormat::underline})
        if (into.*field < 0) into.*field = from.*field;
    for (auto side : {&DiffFormat::left, &DiffFormat::right, &DiffFormat::top, &DiffFormat::bottom})
        if ((into.*side).style == BorderStyle::None) into.*side = from.*side;
}

void PlaceLook(const CondRule& rule, const RuleHit& h, CellLook& look) {
    look.barPlaced = true;
    look.barStart = h.barStart;
    look.barFromRight = h.barFromRight;
    const Color& border = h.negative && rule.barNegativeBorder.set ? rule.barNegativeBorder : rule.barBorder;
    look.barBorder = border.set ? int32_t(border.rgb) : -1;
    look.barAxis = h.barAxis;
    look.barAxisColor = rule.barAxisColor.set ? rule.barAxisColor.rgb : 0;
}

// A level of the set; with icons picked one by one, the icon picked for it,
// or none where the rule says so.
void PickIcon(const CondRule& rule, int8_t level, CellLook& look) {
    look.hideValue = look.hideValue || !rule.showValue;
    IconSetKind set = rule.iconSet;
    int8_t icon = level;
    if (!rule.icons.empty()) {
        if (size_t(level) >= rule.icons.size() || rule.icons[size_t(level)].index < 0) return;
        set = rule.icons[size_t(level)].set;
        icon = rule.icons[size_t(level)].index;
    }
    look.icon = icon;
    look.iconSet = set;
}

void Commit(const Workbook& wb, const CondRule& rule, const std::vector<RuleCell>& cells,
            const std::vector<RuleHit>& hits, SheetLooks& looks) {
    const DiffFormat* diff = rule.ownDiff ? &*rule.ownDiff
                             : rule.diff >= 0 && size_t(rule.diff) < wb.styles.diffs.size()
                                 ? &wb.styles.diffs[size_t(rule.diff)]
                                 : nullptr;
    for (const RuleHit& h : hits) {
        const RuleCell& c = cells[h.cell];
        CellLook& look = looks.At(SheetLooks::Key(c.row, c.col));
        if (look.stopped) continue;
        if (diff) Merge(look.diff, *diff);
        if (h.fill && !look.diff.fill.set) look.diff.fill = Color::Rgb(h.color);
        if (h.bar && !look.bar) {
            look.bar = true;
            look.barPercent = h.barPercent;
            look.barColor = h.color;
            look.barGradient = rule.barGradient;
            if (rule.barExtended) PlaceLook(rule, h, look);
            look.hideValue = look.hideValue || !rule.showValue;
        }
        if (h.icon >= 0 && look.icon < 0) PickIcon(rule, h.icon, look);
        if (rule.stopIfTrue) look.stopped = true;
    }
}

bool IsScale(CfKind k) { return k == CfKind::ColorScale || k == CfKind::DataBar || k == CfKind::IconSet; }

}  // namespace

SheetLooks Evaluate(const Workbook& wb, const Sheet& sheet, const EngineOptions& options) {
    SheetLooks looks;
    std::vector<Ordered> order;
    for (const CondFormat& f : sheet.condFormats)
        for (const CondRule& r : f.rules)
            if (r.kind != CfKind::Unknown && !f.ranges.empty()) order.push_back(Ordered{&f, &r});
    if (order.empty()) return looks;
    std::stable_sort(order.begin(), order.end(),
                     [](const Ordered& a, const Ordered& b) { return a.rule->priority < b.rule->priority; });
    const CellSource source(wb, sheet);
    Budget budget{options.budget};
    std::vector<RuleCell> cells;
    std::vector<RuleHit> hits;
    const CondFormat* gathered = nullptr;
    for (const Ordered& o : order) {
        if (budget.left == 0) break;
        // Rules of one format share its cells.
        if (o.format != gathered) {
            gathered = nullptr;
            if (!Gather(source, *o.format, budget, cells)) break;
            gathered = o.format;
        }
        const Range& first = o.format->ranges.front();
        RuleInput in{*o.rule, cells, source, first.row1, first.col1, options.today, wb.date1904, budget};
        hits.clear();
        const bool ok = IsScale(o.rule->kind) ? MatchScale(in, hits) : MatchHighlight(in, hits);
        if (ok && budget.left > 0) Commit(wb, *o.rule, cells, hits, looks);
    }
    return looks;
}

}  // namespace sheets::cond
