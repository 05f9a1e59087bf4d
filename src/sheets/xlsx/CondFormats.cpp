#include "sheets/xlsx/CondFormats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "sheets/xlsx/Worksheet.h"

namespace sheets::xlsx {
namespace {

// Formulas longer than this are not evaluated: no rule needs them.
constexpr size_t kMaxFormula = 8192;
// Ids are GUIDs in braces; anything much longer is not one.
constexpr size_t kMaxId = 128;

CfKind KindOf(std::string_view t) {
    static constexpr std::pair<std::string_view, CfKind> kKinds[] = {
        {"cellIs", CfKind::CellIs},
        {"expression", CfKind::Expression},
        {"colorScale", CfKind::ColorScale},
        {"dataBar", CfKind::DataBar},
        {"iconSet", CfKind::IconSet},
        {"top10", CfKind::Top10},
        {"aboveAverage", CfKind::AboveAverage},
        {"duplicateValues", CfKind::Duplicate},
        {"uniqueValues", CfKind::Unique},
        {"containsText", CfKind::ContainsText},
        {"notContainsText", CfKind::NotContainsText},
        {"beginsWith", CfKind::BeginsWith},
        {"endsWith", CfKind::EndsWith},
        {"containsBlanks", CfKind::Blanks},
        {"notContainsBlanks", CfKind::NoBlanks},
        {"containsErrors", CfKind::Errors},
        {"notContainsErrors", CfKind::NoErrors},
        {"timePeriod", CfKind::TimePeriod},
    };
    for (auto [name, kind] : kKinds)
        if (name == t) return kind;
    return CfKind::Unknown;
}

CfOperator OperatorOf(std::string_view o) {
    static constexpr std::pair<std::string_view, CfOperator> kOps[] = {
        {"between", CfOperator::Between},
        {"notBetween", CfOperator::NotBetween},
        {"equal", CfOperator::Equal},
        {"notEqual", CfOperator::NotEqual},
        {"greaterThan", CfOperator::Greater},
        {"lessThan", CfOperator::Less},
        {"greaterThanOrEqual", CfOperator::GreaterEqual},
        {"lessThanOrEqual", CfOperator::LessEqual},
    };
    for (auto [name, op] : kOps)
        if (name == o) return op;
    return CfOperator::Equal;
}

bool PeriodOf(std::string_view p, CfPeriod& out) {
    static constexpr std::pair<std::string_view, CfPeriod> kPeriods[] = {
        {"today", CfPeriod::Today},         {"yesterday", CfPeriod::Yesterday}, {"tomorrow", CfPeriod::Tomorrow},
        {"last7Days", CfPeriod::Last7Days}, {"thisWeek", CfPeriod::ThisWeek},   {"lastWeek", CfPeriod::LastWeek},
        {"nextWeek", CfPeriod::NextWeek},   {"thisMonth", CfPeriod::ThisMonth}, {"lastMonth", CfPeriod::LastMonth},
        {"nextMonth", CfPeriod::NextMonth},
    };
    for (auto [name, period] : kPeriods)
        if (name == p) {
            out = period;
            return true;
        }
    return false;
}

bool PlainNumber(std::string_view s, double& out) {
    if (s.empty() || s.size() > 64) return false;
    const std::string copy(s);
    char* end = nullptr;
    out = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && std::isfinite(out);
}

}  // namespace

bool IconSetOf(std::string_view name, IconSetKind& out) {
    static constexpr std::pair<std::string_view, IconSetKind> kSets[] = {
        {"3Arrows", IconSetKind::Arrows3},
        {"3ArrowsGray", IconSetKind::ArrowsGray3},
        {"3Flags", IconSetKind::Flags3},
        {"3TrafficLights1", IconSetKind::TrafficLights3},
        {"3TrafficLights2", IconSetKind::TrafficLightsRimmed3},
        {"3Signs", IconSetKind::Signs3},
        {"3Symbols", IconSetKind::SymbolsCircled3},
        {"3Symbols2", IconSetKind::Symbols3},
        {"3Stars", IconSetKind::Stars3},
        {"3Triangles", IconSetKind::Triangles3},
        {"4Arrows", IconSetKind::Arrows4},
        {"4ArrowsGray", IconSetKind::ArrowsGray4},
        {"4RedToBlack", IconSetKind::RedToBlack4},
        {"4Rating", IconSetKind::Rating4},
        {"4TrafficLights", IconSetKind::TrafficLights4},
        {"5Arrows", IconSetKind::Arrows5},
        {"5ArrowsGray", IconSetKind::ArrowsGray5},
        {"5Rating", IconSetKind::Rating5},
        {"5Quarters", IconSetKind::Quarters5},
        {"5Boxes", IconSetKind::Boxes5},
    };
    for (auto [n, k] : kSets)
        if (n == name) {
            out = k;
            return true;
        }
    return false;
}

void CondFormatReader::Start(std::string_view n, Attrs a, int depth) {
    if (depth == 2) {
        sheet_.condFormats.emplace_back();
        const std::string sqref = AttrString(a, "sqref");
        size_t pos = 0;
        while (pos < sqref.size()) {
            size_t end = sqref.find(' ', pos);
            if (end == std::string::npos) end = sqref.size();
            Range r;
            if (end > pos && ParseRange(std::string_view(sqref).substr(pos, end - pos), r))
                sheet_.condFormats.back().ranges.push_back(r);
            pos = end + 1;
        }
        return;
    }
    if (sheet_.condFormats.empty()) return;
    auto& rules = sheet_.condFormats.back().rules;
    if (depth == 3 && n == "cfRule") return StartRule(a);
    if (rules.empty()) return;
    CondRule& r = rules.back();
    if (depth == 4 && n == "formula") {
        inFormula_ = true;
        formula_.clear();
    } else if (depth == 4 && n == "dataBar") {
        r.barMinLength = uint8_t(std::clamp<int64_t>(AttrInt(a, "minLength", 10), 0, 100));
        r.barMaxLength = uint8_t(std::clamp<int64_t>(AttrInt(a, "maxLength", 90), 0, 100));
        r.showValue = AttrBool(a, "showValue", true);
    } else if (depth == 4 && n == "iconSet") {
        const char* set = Attr(a, "iconSet");
        if (set && !IconSetOf(set, r.iconSet)) r.kind = CfKind::Unknown;
        r.showValue = AttrBool(a, "showValue", true);
        r.reverse = AttrBool(a, "reverse", false);
    } else if (depth == 6 && n == "id") {  // <extLst><ext><x14:id>: the rule's details of 2010
        inId_ = true;
        ids_.push_back({{}, sheet_.condFormats.size() - 1, rules.size() - 1});
    } else if (depth == 5 && n == "cfvo") {
        StartPoint(a);
    } else if (depth == 5 && n == "color") {
        r.colors.push_back(colors_.Resolve(ReadColorSpec(a)));
    }
}

CondRule RuleOf(Attrs a) {
    CondRule r;
    r.kind = KindOf(AttrString(a, "type"));
    r.priority = uint32_t(std::clamp<int64_t>(AttrInt(a, "priority", 0), 0, INT32_MAX));
    r.stopIfTrue = AttrBool(a, "stopIfTrue", false);
    r.diff = int32_t(std::clamp<int64_t>(AttrInt(a, "dxfId", -1), -1, INT32_MAX));
    r.op = OperatorOf(AttrString(a, "operator"));
    r.text = AttrString(a, "text");
    r.rank = double(std::clamp<int64_t>(AttrInt(a, "rank", 10), 0, 1 << 30));
    r.percent = AttrBool(a, "percent", false);
    r.bottom = AttrBool(a, "bottom", false);
    r.below = !AttrBool(a, "aboveAverage", true);
    r.equalAverage = AttrBool(a, "equalAverage", false);
    r.stdDev = int32_t(std::clamp<int64_t>(AttrInt(a, "stdDev", 0), 0, 3));
    if (r.kind == CfKind::TimePeriod && !PeriodOf(AttrString(a, "timePeriod"), r.period)) r.kind = CfKind::Unknown;
    return r;
}

void CondFormatReader::StartRule(Attrs a) { sheet_.condFormats.back().rules.push_back(RuleOf(a)); }

void CondFormatReader::StartPoint(Attrs a) {
    CondRule& r = sheet_.condFormats.back().rules.back();
    CfPoint p;
    const std::string type = AttrString(a, "type"), val = AttrString(a, "val");
    p.gte = AttrBool(a, "gte", true);
    const bool number = PlainNumber(val, p.value);
    if (type == "min" || type == "autoMin") p.kind = CfPoint::Kind::Min;
    else if (type == "max" || type == "autoMax") p.kind = CfPoint::Kind::Max;
    else if (type == "num") p.kind = CfPoint::Kind::Number;
    else if (type == "percent") p.kind = CfPoint::Kind::Percent;
    else if (type == "percentile") p.kind = CfPoint::Kind::Percentile;
    else if (type == "formula") p.kind = CfPoint::Kind::Formula;
    else r.kind = CfKind::Unknown;
    if (!number && (p.kind == CfPoint::Kind::Number || p.kind == CfPoint::Kind::Formula)) {
        if (val.size() > kMaxFormula) r.kind = CfKind::Unknown;
        p.kind = CfPoint::Kind::Formula;
        p.formula = val;
    } else if (!number && p.kind != CfPoint::Kind::Min && p.kind != CfPoint::Kind::Max) {
        r.kind = CfKind::Unknown;  // a percent given as a formula: not evaluated
    }
    r.points.push_back(std::move(p));
}

void CondFormatReader::End(std::string_view n, int depth) {
    if (depth == 6) inId_ = false;
    if (depth != 4 || n != "formula" || !inFormula_) return;
    inFormula_ = false;
    if (sheet_.condFormats.empty() || sheet_.condFormats.back().rules.empty()) return;
    CondRule& r = sheet_.condFormats.back().rules.back();
    if (formula_.size() > kMaxFormula) r.kind = CfKind::Unknown;
    else r.formulas.push_back(std::move(formula_));
    formula_.clear();
}

void CondFormatReader::Text(std::string_view t) {
    if (inId_ && ids_.back().id.size() < kMaxId) ids_.back().id.append(t);
    if (inFormula_ && formula_.size() <= kMaxFormula) formula_.append(t);
}

}  // namespace sheets::xlsx
