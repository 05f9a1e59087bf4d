#include "sheets/xlsx/CondFormatsX14.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "sheets/xlsx/Styles.h"
#include "sheets/xlsx/Worksheet.h"

namespace sheets::xlsx {
namespace {

// Far more than any real sheet holds; further rules are not read, so that a
// hostile part costs bounded memory.
constexpr size_t kMaxRules = 1 << 16;
constexpr size_t kMaxText = 8192;

bool PointKind(std::string_view type, CfPoint::Kind& out) {
    static constexpr std::pair<std::string_view, CfPoint::Kind> kKinds[] = {
        {"min", CfPoint::Kind::Min},
        {"max", CfPoint::Kind::Max},
        {"autoMin", CfPoint::Kind::AutoMin},
        {"autoMax", CfPoint::Kind::AutoMax},
        {"num", CfPoint::Kind::Number},
        {"percent", CfPoint::Kind::Percent},
        {"percentile", CfPoint::Kind::Percentile},
        {"formula", CfPoint::Kind::Formula},
    };
    for (auto [name, kind] : kKinds)
        if (name == type) {
            out = kind;
            return true;
        }
    return false;
}

// A point's value from its formula text: a plain number, else a formula
// the engine evaluates; false when a percent or percentile is not a number.
bool SetPointValue(CfPoint& p, const std::string& text) {
    using K = CfPoint::Kind;
    if (p.kind == K::Min || p.kind == K::Max || p.kind == K::AutoMin || p.kind == K::AutoMax) return true;
    char* end = nullptr;
    const double v = text.empty() ? 0 : std::strtod(text.c_str(), &end);
    if (!text.empty() && end == text.c_str() + text.size() && std::isfinite(v)) {
        p.value = v;
        return true;
    }
    if (p.kind != K::Number && p.kind != K::Formula) return false;
    if (text.empty() || text.size() > kMaxText) return false;
    p.kind = K::Formula;
    p.formula = text;
    return true;
}

void ReadRanges(std::string_view sqref, std::vector<Range>& out) {
    size_t pos = 0;
    while (pos < sqref.size()) {
        size_t end = sqref.find(' ', pos);
        if (end == std::string_view::npos) end = sqref.size();
        Range r;
        if (end > pos && ParseRange(sqref.substr(pos, end - pos), r)) out.push_back(r);
        pos = end + 1;
    }
}

// The 2010 details of a data bar, onto the rule read from <cfRule>; its
// priority and format stay the rule's own.
void MergeBar(CondRule& into, const CondRule& from) {
    if (from.points.size() == 2) into.points = from.points;
    into.barMinLength = from.barMinLength;
    into.barMaxLength = from.barMaxLength;
    into.barGradient = from.barGradient;
    into.showValue = into.showValue && from.showValue;  // either list may say "bar only"
    into.barExtended = true;
    into.barBorder = from.barBorder;
    into.barNegative = from.barNegative;
    into.barNegativeBorder = from.barNegativeBorder;
    into.barAxis = from.barAxis;
    into.barAxisColor = from.barAxisColor;
    into.barRightToLeft = from.barRightToLeft;
    if (into.colors.empty()) into.colors = from.colors;
}

bool IsTextRule(CfKind k) {
    return k == CfKind::ContainsText || k == CfKind::NotContainsText || k == CfKind::BeginsWith ||
           k == CfKind::EndsWith;
}

}  // namespace

void X14CondReader::Start(std::string_view n, Attrs a, int depth) {
    text_ = nullptr;
    if (skipDepth_ && depth > skipDepth_) return;
    skipDepth_ = 0;
    if (depth == 4) {
        inFormats_ = n == "conditionalFormattings";
        return;
    }
    if (!inFormats_) return;
    if (depth == 5 && n == "conditionalFormatting") {
        if (formats_.size() < kMaxRules) formats_.emplace_back();
        else skipDepth_ = depth;
        return;
    }
    if (formats_.empty()) return;
    Format& f = formats_.back();
    if (depth == 6 && n == "cfRule") return StartRule(a);
    if (depth == 6 && n == "sqref") {
        f.sqref.clear();
        text_ = &f.sqref;
        return;
    }
    if (f.rules.empty()) return;
    Rule& rule = f.rules.back();
    CondRule& r = rule.rule;
    if (inDiff_) return StartDiff(n, a, depth, r.ownDiff.value());
    if (depth == 7 && n == "dxf") {
        inDiff_ = true;
        r.ownDiff.emplace();
        part_ = Part::None;
    } else if (depth == 7 && n == "f") {
        r.formulas.emplace_back();
        text_ = &r.formulas.back();
    } else if (depth == 7 && n == "dataBar" && r.kind == CfKind::DataBar) {
        StartBar(r, a);
    } else if (depth == 7 && n == "iconSet" && r.kind == CfKind::IconSet) {
        StartIcons(r, a);
    } else if (depth == 8 && n == "cfvo") {
        CfPoint p;
        if (!PointKind(AttrString(a, "type"), p.kind)) r.kind = CfKind::Unknown;
        p.gte = AttrBool(a, "gte", true);
        r.points.push_back(std::move(p));
        rule.values.emplace_back();
    } else if (depth == 9 && n == "f" && !rule.values.empty()) {
        text_ = &rule.values.back();
    } else if (depth == 8 && n == "cfIcon" && r.kind == CfKind::IconSet) {
        CfIcon icon;
        const std::string set = AttrString(a, "iconSet");
        const int64_t id = AttrInt(a, "iconId", 0);
        if (set != "NoIcons" && IconSetOf(set, icon.set) && id >= 0 && id < 5) icon.index = int8_t(id);
        else if (set != "NoIcons") r.kind = CfKind::Unknown;  // an icon we cannot draw: never guessed
        r.icons.push_back(icon);
    } else if (depth == 8 && r.kind == CfKind::DataBar) {
        const Color c = colors_.Resolve(ReadColorSpec(a));
        if (n == "fillColor") r.colors.assign(1, c);
        else if (n == "borderColor") r.barBorder = c;
        else if (n == "negativeFillColor") r.barNegative = c;
        else if (n == "negativeBorderColor") r.barNegativeBorder = c;
        else if (n == "axisColor") r.barAxisColor = c;
    }
}

void X14CondReader::StartRule(Attrs a) {
    if (rules_ >= kMaxRules) {
        skipDepth_ = 6;  // nor what it holds: that would go to the rule before
        return;
    }
    ++rules_;
    inDiff_ = false;
    Rule rule;
    rule.rule = RuleOf(a);
    // Rules of this list name their format inline, never by index.
    rule.rule.diff = -1;
    rule.id = AttrString(a, "id");
    formats_.back().rules.push_back(std::move(rule));
}

void X14CondReader::StartBar(CondRule& r, Attrs a) {
    r.barMinLength = uint8_t(std::clamp<int64_t>(AttrInt(a, "minLength", 10), 0, 100));
    r.barMaxLength = uint8_t(std::clamp<int64_t>(AttrInt(a, "maxLength", 90), 0, 100));
    r.barGradient = AttrBool(a, "gradient", true);
    r.showValue = AttrBool(a, "showValue", true);
    r.barExtended = true;
    // Colours read below are dropped again, at the bar's end, where these say not to use them.
    sameFill_ = AttrBool(a, "negativeBarColorSameAsPositive", false);
    sameBorder_ = AttrBool(a, "negativeBarBorderColorSameAsPositive", true);
    border_ = AttrBool(a, "border", false);
    const std::string axis = AttrString(a, "axisPosition");
    r.barAxis = axis == "middle" ? BarAxis::Middle : axis == "none" ? BarAxis::None : BarAxis::Automatic;
    r.barRightToLeft = AttrString(a, "direction") == "rightToLeft";
}

void X14CondReader::StartIcons(CondRule& r, Attrs a) {
    const char* set = Attr(a, "iconSet");
    if (set && !IconSetOf(set, r.iconSet)) r.kind = CfKind::Unknown;
    r.showValue = AttrBool(a, "showValue", true);
    r.reverse = AttrBool(a, "reverse", false);
}

void X14CondReader::StartDiff(std::string_view n, Attrs a, int depth, DiffFormat& d) {
    if (depth == 8) {
        part_ = n == "font" ? Part::Font : n == "fill" ? Part::Fill : n == "border" ? Part::Border : Part::None;
        side_ = nullptr;
    } else if (part_ == Part::Font && depth == 9) {
        const auto flag = [&](int8_t& f) { f = AttrBool(a, "val", true) ? 1 : 0; };
        if (n == "b") flag(d.bold);
        else if (n == "i") flag(d.italic);
        else if (n == "strike") flag(d.strike);
        else if (n == "u") d.underline = AttrString(a, "val") == "none" ? 0 : 1;
        else if (n == "color") d.fontColor = colors_.Resolve(ReadColorSpec(a));
    } else if (part_ == Part::Fill && (n == "bgColor" || (n == "fgColor" && !d.fill.set))) {
        // A differential fill names its solid colour as the background.
        d.fill = colors_.Resolve(ReadColorSpec(a));
    } else if (part_ == Part::Border && depth == 9) {
        side_ = n == "left" || n == "start"  ? &d.left
                : n == "right" || n == "end" ? &d.right
                : n == "top"                 ? &d.top
                : n == "bottom"              ? &d.bottom
                                             : nullptr;
        if (side_) side_->style = BorderStyleOf(Attr(a, "style"));
    } else if (part_ == Part::Border && depth == 10 && side_ && n == "color") {
        side_->color = colors_.Resolve(ReadColorSpec(a));
    }
}

void X14CondReader::End(std::string_view n, int depth) {
    text_ = nullptr;
    if (skipDepth_) {
        if (depth == skipDepth_) skipDepth_ = 0;
        return;
    }
    if (depth == 4) inFormats_ = false;
    if (!inFormats_ || formats_.empty() || formats_.back().rules.empty()) return;
    Rule& rule = formats_.back().rules.back();
    CondRule& r = rule.rule;
    if (depth == 7 && n == "dxf") inDiff_ = false;
    if (depth == 8 && inDiff_) part_ = Part::None;
    if (depth == 6 && n == "cfRule") EndRule(rule);
    if (depth != 7 || n != "dataBar") return;
    if (!border_) r.barBorder = Color{};
    if (sameFill_) r.barNegative = Color{};
    if (sameBorder_ || !border_) r.barNegativeBorder = Color{};
}

void X14CondReader::EndRule(Rule& rule) {
    CondRule& r = rule.rule;
    inDiff_ = false;
    for (const std::string& f : r.formulas)
        if (f.size() > kMaxText) r.kind = CfKind::Unknown;
    // A text rule whose text is a reference, to another sheet as a rule of
    // this list's would have it, is written as its formula alone.
    if (IsTextRule(r.kind) && r.text.empty()) r.kind = r.formulas.empty() ? CfKind::Unknown : CfKind::Expression;
    for (size_t i = 0; i < r.points.size() && i < rule.values.size(); ++i)
        if (!SetPointValue(r.points[i], rule.values[i])) r.kind = CfKind::Unknown;
    rule.values.clear();
    if (r.kind == CfKind::IconSet && !r.icons.empty() && r.icons.size() != r.points.size()) r.kind = CfKind::Unknown;
}

void X14CondReader::Text(std::string_view t) {
    if (text_ && text_->size() <= kMaxText) text_->append(t);
}

void X14CondReader::Apply(Sheet& sheet, const std::vector<RuleExtId>& ids) {
    std::unordered_map<std::string_view, const CondRule*> byId;
    for (const Format& f : formats_)
        for (const Rule& rule : f.rules)
            if (!rule.id.empty()) byId.emplace(rule.id, &rule.rule);
    std::unordered_set<std::string_view> linked;
    for (const RuleExtId& at : ids) {
        auto it = byId.find(at.id);
        if (it == byId.end()) continue;
        linked.insert(it->first);
        if (at.format >= sheet.condFormats.size() || at.rule >= sheet.condFormats[at.format].rules.size()) continue;
        CondRule& into = sheet.condFormats[at.format].rules[at.rule];
        if (into.kind == CfKind::DataBar && it->second->kind == CfKind::DataBar) MergeBar(into, *it->second);
    }
    // The rules no earlier one names stand on their own.
    std::vector<CondFormat> added;
    for (Format& f : formats_) {
        CondFormat format;
        for (Rule& rule : f.rules)
            if (rule.rule.kind != CfKind::Unknown && !linked.count(rule.id))
                format.rules.push_back(std::move(rule.rule));
        if (format.rules.empty()) continue;
        ReadRanges(f.sqref, format.ranges);
        if (!format.ranges.empty()) added.push_back(std::move(format));
    }
    formats_.clear();
    for (CondFormat& f : added) sheet.condFormats.push_back(std::move(f));
}

}  // namespace sheets::xlsx
