// Colour scales, data bars and icon sets: where a cell's number lies between
// the rule's points.
#include <algorithm>
#include <cmath>

#include "sheets/cond/Rules.h"

namespace sheets::cond {
namespace {

std::optional<double> PointValue(const CfPoint& p, const std::vector<double>& sorted, const RuleInput& in) {
    const double lo = sorted.front(), hi = sorted.back();
    switch (p.kind) {
    case CfPoint::Kind::Min: return lo;
    case CfPoint::Kind::Max: return hi;
    case CfPoint::Kind::AutoMin: return std::min(lo, 0.0);
    case CfPoint::Kind::AutoMax: return std::max(hi, 0.0);
    case CfPoint::Kind::Percent: return lo + (hi - lo) * std::clamp(p.value, 0.0, 100.0) / 100;
    case CfPoint::Kind::Percentile: return Percentile(sorted, std::clamp(p.value, 0.0, 100.0) / 100);
    case CfPoint::Kind::Number:
        if (p.formula.empty()) return p.value;
        [[fallthrough]];
    case CfPoint::Kind::Formula: {
        auto f = Formula::Parse(p.formula);
        if (!f) return std::nullopt;
        EvalContext ctx{in.source, in.anchorRow, in.anchorCol, in.anchorRow, in.anchorCol, in.today, in.budget};
        auto v = f->Eval(ctx);
        if (!v || v->type != Value::Type::Number) return std::nullopt;
        return v->number;
    }
    }
    return std::nullopt;
}

bool Points(const RuleInput& in, const std::vector<double>& sorted, std::vector<double>& out) {
    for (const CfPoint& p : in.rule.points) {
        auto v = PointValue(p, sorted, in);
        if (!v || !std::isfinite(*v)) return false;
        out.push_back(*v);
    }
    return true;
}

size_t IconCount(IconSetKind k) {
    switch (k) {
    case IconSetKind::Arrows4:
    case IconSetKind::ArrowsGray4:
    case IconSetKind::RedToBlack4:
    case IconSetKind::Rating4:
    case IconSetKind::TrafficLights4: return 4;
    case IconSetKind::Arrows5:
    case IconSetKind::ArrowsGray5:
    case IconSetKind::Rating5:
    case IconSetKind::Quarters5:
    case IconSetKind::Boxes5: return 5;
    default: return 3;
    }
}

}  // namespace

std::vector<double> SortedNumbers(const std::vector<RuleCell>& cells) {
    std::vector<double> out;
    for (const RuleCell& c : cells)
        if (c.value.type == Value::Type::Number && std::isfinite(c.value.number)) out.push_back(c.value.number);
    std::sort(out.begin(), out.end());
    return out;
}

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    const double rank = std::clamp(p, 0.0, 1.0) * double(sorted.size() - 1);
    const size_t i = size_t(std::floor(rank));
    if (i + 1 >= sorted.size()) return sorted.back();
    return sorted[i] + (sorted[i + 1] - sorted[i]) * (rank - double(i));
}

uint32_t ScaleColor(double v, const std::vector<double>& stops, const std::vector<uint32_t>& colors) {
    if (stops.empty() || colors.size() != stops.size()) return 0;
    if (v <= stops.front()) return colors.front();
    if (v >= stops.back()) return colors.back();
    size_t i = 0;
    while (i + 2 < stops.size() && v > stops[i + 1]) ++i;
    const double span = stops[i + 1] - stops[i];
    const double t = span > 0 ? std::clamp((v - stops[i]) / span, 0.0, 1.0) : 1.0;
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double a = (colors[i] >> shift) & 255, b = (colors[i + 1] >> shift) & 255;
        out |= uint32_t(std::lround(a + (b - a) * t)) << shift;
    }
    return out;
}

bool MatchScale(const RuleInput& in, std::vector<RuleHit>& hits) {
    const CondRule& r = in.rule;
    const std::vector<double> sorted = SortedNumbers(in.cells);
    if (sorted.empty()) return true;
    std::vector<double> stops;
    if (!Points(in, sorted, stops)) return false;
    std::vector<uint32_t> colors;
    for (const Color& c : r.colors) colors.push_back(c.set ? c.rgb : 0);
    if (r.kind == CfKind::ColorScale && (stops.size() < 2 || stops.size() > 3 || colors.size() != stops.size()))
        return false;
    if (r.kind == CfKind::DataBar && (stops.size() != 2 || colors.empty())) return false;
    if (r.kind == CfKind::IconSet && stops.size() != IconCount(r.iconSet)) return false;
    for (uint32_t i = 0; i < in.cells.size(); ++i) {
        const Value& v = in.cells[i].value;
        if (v.type != Value::Type::Number || !std::isfinite(v.number)) continue;
        RuleHit hit{i};
        if (r.kind == CfKind::ColorScale) {
            hit.fill = true;
            hit.color = ScaleColor(v.number, stops, colors);
        } else if (r.kind == CfKind::DataBar && r.barExtended) {
            PlaceBar(r, v.number, stops[0], stops[1], hit);
            hit.color = v.number < 0 && r.barNegative.set ? r.barNegative.rgb : colors.front();
        } else if (r.kind == CfKind::DataBar) {
            const double lo = std::min(stops[0], stops[1]), hi = std::max(stops[0], stops[1]);
            const double t = hi > lo ? std::clamp((v.number - lo) / (hi - lo), 0.0, 1.0) : 1.0;
            const double minLen = std::min<double>(r.barMinLength, 100),
                         maxLen = std::clamp<double>(r.barMaxLength, minLen, 100);
            hit.bar = true;
            hit.barPercent = uint8_t(std::lround(minLen + (maxLen - minLen) * t));
            hit.color = colors.front();
        } else {
            int icon = 0;
            for (size_t k = 1; k < stops.size(); ++k)
                if (r.points[k].gte ? v.number >= stops[k] : v.number > stops[k]) icon = int(k);
            if (r.reverse) icon = int(stops.size()) - 1 - icon;
            hit.icon = int8_t(icon);
        }
        hits.push_back(hit);
    }
    return true;
}

}  // namespace sheets::cond
