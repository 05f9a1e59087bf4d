// The highlight rules: each cell matches or not, by its own value and, for
// some families, by the values of the whole range.
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "sheets/cond/Dates.h"
#include "sheets/cond/Rules.h"
#include "text/Ascii.h"

namespace sheets::cond {
namespace {

struct Matcher {
    const RuleInput& in;
    std::vector<std::optional<Formula>> formulas;

    std::optional<Value> Operand(size_t i, const RuleCell& c) const {
        EvalContext ctx{in.source, in.anchorRow, in.anchorCol, c.row, c.col, in.today, in.budget};
        return formulas[i]->Eval(ctx);
    }
};

// LEN(TRIM(x)) = 0, as the spreadsheet writes the blanks rule.
bool IsBlankText(const Value& v) {
    if (v.type == Value::Type::Blank) return true;
    if (v.type != Value::Type::Text) return false;
    return v.text.find_first_not_of(' ') == std::string::npos;
}

bool TextRule(CfKind kind, const std::string& needle, const Value& v) {
    if (v.IsError()) return kind == CfKind::NotContainsText;  // SEARCH fails on an error
    const std::string hay = text::AsciiLowerCase(ValueText(v)), n = text::AsciiLowerCase(needle);
    switch (kind) {
    case CfKind::ContainsText: return hay.find(n) != std::string::npos;
    case CfKind::NotContainsText: return hay.find(n) == std::string::npos;
    case CfKind::BeginsWith: return hay.compare(0, n.size(), n) == 0;
    case CfKind::EndsWith: return hay.size() >= n.size() && hay.compare(hay.size() - n.size(), n.size(), n) == 0;
    default: return false;
    }
}

std::optional<bool> CellIs(const Matcher& m, const RuleCell& c) {
    const CondRule& r = m.in.rule;
    const bool two = r.op == CfOperator::Between || r.op == CfOperator::NotBetween;
    if (m.formulas.size() < (two ? 2u : 1u)) return false;
    auto a = m.Operand(0, c);
    if (!a) return std::nullopt;
    if (c.value.IsError() || a->IsError()) return false;
    const int ca = Compare(c.value, *a);
    if (two) {
        auto b = m.Operand(1, c);
        if (!b) return std::nullopt;
        if (b->IsError()) return false;
        // The bounds may come in either order.
        const int cb = Compare(c.value, *b);
        const bool lowFirst = Compare(*a, *b) <= 0;
        const bool inside = lowFirst ? ca >= 0 && cb <= 0 : cb >= 0 && ca <= 0;
        return r.op == CfOperator::Between ? inside : !inside;
    }
    switch (r.op) {
    case CfOperator::Equal: return ca == 0;
    case CfOperator::NotEqual: return ca != 0;
    case CfOperator::Greater: return ca > 0;
    case CfOperator::Less: return ca < 0;
    case CfOperator::GreaterEqual: return ca >= 0;
    case CfOperator::LessEqual: return ca <= 0;
    default: return false;
    }
}

bool Occurs(CfPeriod p, double v, const RuleInput& in) {
    if (!std::isfinite(v) || v < 0) return false;
    const double d = std::floor(v), t = std::floor(in.today);
    // Weeks start on Sunday; serial 1 was one.
    const double weekStart = t - std::fmod(t + 6, 7);
    int64_t month = 0, thisMonth = 0;
    switch (p) {
    case CfPeriod::Today: return d == t;
    case CfPeriod::Yesterday: return d == t - 1;
    case CfPeriod::Tomorrow: return d == t + 1;
    case CfPeriod::Last7Days: return d >= t - 6 && d <= t;
    case CfPeriod::ThisWeek: return d >= weekStart && d <= weekStart + 6;
    case CfPeriod::LastWeek: return d >= weekStart - 7 && d <= weekStart - 1;
    case CfPeriod::NextWeek: return d >= weekStart + 7 && d <= weekStart + 13;
    default: break;
    }
    if (!MonthOf(d, in.date1904, month) || !MonthOf(t, in.date1904, thisMonth)) return false;
    if (p == CfPeriod::ThisMonth) return month == thisMonth;
    if (p == CfPeriod::LastMonth) return month == thisMonth - 1;
    return month == thisMonth + 1;
}

// Top and bottom N (or N percent): ties with the last one taken are taken too.
void TopN(const RuleInput& in, std::vector<RuleHit>& hits) {
    const std::vector<double> sorted = SortedNumbers(in.cells);
    if (sorted.empty()) return;
    const CondRule& r = in.rule;
    double n = r.percent ? std::floor(double(sorted.size()) * r.rank / 100) : std::floor(r.rank);
    n = std::clamp(n, 1.0, double(sorted.size()));
    const size_t k = size_t(n);
    const double edge = r.bottom ? sorted[k - 1] : sorted[sorted.size() - k];
    for (uint32_t i = 0; i < in.cells.size(); ++i) {
        const Value& v = in.cells[i].value;
        if (v.type == Value::Type::Number && (r.bottom ? v.number <= edge : v.number >= edge))
            hits.push_back(RuleHit{i});
    }
}

// Above or below the mean, or that many (population) standard deviations away from it.
void Average(const RuleInput& in, std::vector<RuleHit>& hits) {
    const std::vector<double> nums = SortedNumbers(in.cells);
    if (nums.empty()) return;
    double sum = 0;
    for (double v : nums) sum += v;
    const double mean = sum / double(nums.size());
    double sq = 0;
    for (double v : nums) sq += (v - mean) * (v - mean);
    const double sd = std::sqrt(sq / double(nums.size()));
    const CondRule& r = in.rule;
    const double edge = mean + (r.below ? -1 : 1) * r.stdDev * sd;
    for (uint32_t i = 0; i < in.cells.size(); ++i) {
        const Value& v = in.cells[i].value;
        if (v.type != Value::Type::Number) continue;
        const bool hit = r.below ? (r.equalAverage ? v.number <= edge : v.number < edge)
                                 : (r.equalAverage ? v.number >= edge : v.number > edge);
        if (hit) hits.push_back(RuleHit{i});
    }
}

std::string DuplicateKey(const Value& v) {
    switch (v.type) {
    case Value::Type::Number: return "n" + NumberText(v.number);
    case Value::Type::Text: return "t" + text::AsciiLowerCase(v.text);
    case Value::Type::Bool: return v.number != 0 ? "b1" : "b0";
    default: return {};
    }
}

void Duplicates(const RuleInput& in, std::vector<RuleHit>& hits) {
    std::unordered_map<std::string, uint32_t> counts;
    std::vector<std::string> keys(in.cells.size());
    for (size_t i = 0; i < in.cells.size(); ++i) {
        keys[i] = DuplicateKey(in.cells[i].value);
        if (!keys[i].empty()) ++counts[keys[i]];
    }
    const bool dup = in.rule.kind == CfKind::Duplicate;
    for (uint32_t i = 0; i < in.cells.size(); ++i)
        if (!keys[i].empty() && (counts[keys[i]] > 1) == dup) hits.push_back(RuleHit{i});
}

}  // namespace

bool MatchHighlight(const RuleInput& in, std::vector<RuleHit>& hits) {
    const CondRule& r = in.rule;
    switch (r.kind) {
    case CfKind::Top10: TopN(in, hits); return true;
    case CfKind::AboveAverage: Average(in, hits); return true;
    case CfKind::Duplicate:
    case CfKind::Unique: Duplicates(in, hits); return true;
    default: break;
    }
    Matcher m{in, {}};
    if (r.kind == CfKind::CellIs || r.kind == CfKind::Expression) {
        for (const std::string& f : r.formulas) {
            m.formulas.push_back(Formula::Parse(f));
            if (!m.formulas.back()) return false;  // never guessed at
        }
        if (m.formulas.empty()) return false;
    }
    for (uint32_t i = 0; i < in.cells.size(); ++i) {
        const RuleCell& c = in.cells[i];
        std::optional<bool> hit = false;
        switch (r.kind) {
        case CfKind::CellIs: hit = CellIs(m, c); break;
        case CfKind::Expression: {
            auto v = m.Operand(0, c);
            hit = v ? std::optional<bool>(Truthy(*v)) : std::nullopt;
            break;
        }
        case CfKind::ContainsText:
        case CfKind::NotContainsText:
        case CfKind::BeginsWith:
        case CfKind::EndsWith: hit = TextRule(r.kind, r.text, c.value); break;
        case CfKind::Blanks: hit = IsBlankText(c.value); break;
        case CfKind::NoBlanks: hit = !c.value.IsError() && !IsBlankText(c.value); break;
        case CfKind::Errors: hit = c.value.IsError(); break;
        case CfKind::NoErrors: hit = !c.value.IsError(); break;
        case CfKind::TimePeriod:
            hit = c.value.type == Value::Type::Number && Occurs(r.period, c.value.number, in);
            break;
        default: return false;
        }
        if (!hit) return false;  // the budget ran out
        if (*hit) hits.push_back(RuleHit{i});
    }
    return true;
}

}  // namespace sheets::cond
