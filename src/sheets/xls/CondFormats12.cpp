#include "sheets/xls/CondFormats12.h"

#include <algorithm>
#include <cmath>

#include "sheets/model/BinaryCodes.h"
#include "sheets/xls/CondFormats.h"

namespace sheets::xls {
namespace {

constexpr size_t kMaxPoints = 5;

uint16_t U16At(std::string_view s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

}  // namespace

CondRule NewerRuleReader::Read() {
    CondRule r;
    in_.Skip(12);  // the header of newer records
    const uint8_t type = in_.U8(), op = in_.U8();
    const uint16_t size1 = in_.U16(), size2 = in_.U16();
    const uint32_t diffSize = in_.U32();
    if (diffSize > 0) {
        // The format, then its extended colours (not read: the palette
        // colours stand in for them).
        Bytes diff(in_.Take(diffSize));
        diff_ = ReadDiffFormat(diff, styles_);
        hasDiff_ = true;
    }
    tokens1_ = in_.Take(size1);
    tokens2_ = in_.Take(size2);
    in_.Skip(in_.U16());  // the formula that says whether the rule is active
    r.stopIfTrue = in_.U8() & 0x02;
    r.priority = in_.U16();
    const uint16_t templ = in_.U16();
    const uint8_t paramSize = in_.U8();
    const std::string_view params = in_.Take(16);
    bool ok = paramSize == 16;
    switch (type) {
    case 1:
    case 2:
        Formulas(r, type, op);
        if (type == 2 && r.kind == CfKind::Expression) Template(r, templ, params);
        return r;
    case 3: ok = ok && Gradient(r); break;
    case 4: ok = ok && DataBar(r); break;
    case 5: ok = ok && Filter(r); break;
    case 6: ok = ok && IconSet(r); break;
    default: ok = false; break;
    }
    if (!ok) r.kind = CfKind::Unknown;
    return r;
}

void NewerRuleReader::Formulas(CondRule& r, uint8_t type, uint8_t op) {
    static constexpr CfOperator kOps[] = {CfOperator::Between,      CfOperator::NotBetween, CfOperator::Equal,
                                          CfOperator::NotEqual,     CfOperator::Greater,    CfOperator::Less,
                                          CfOperator::GreaterEqual, CfOperator::LessEqual};
    const bool two = type == 1 && (op == 1 || op == 2);
    auto a = FormulaText(tokens1_, TokenLayout::Biff8, base_);
    auto b = two ? FormulaText(tokens2_, TokenLayout::Biff8, base_) : std::optional<std::string>("");
    if (!a || !b || (type == 1 && (op < 1 || op > 8))) return;  // stays Unknown
    r.kind = type == 1 ? CfKind::CellIs : CfKind::Expression;
    if (type == 1) r.op = kOps[op - 1];
    r.formulas.push_back(std::move(*a));
    if (two) r.formulas.push_back(std::move(*b));
}

// Formula rules made from a template are evaluated as the template says,
// which needs no formula the evaluator may not know.
void NewerRuleReader::Template(CondRule& r, uint16_t t, std::string_view params) {
    const CfKind kind = CfKindOfTemplate(t, U16At(params, 0), r);
    switch (kind) {
    case CfKind::Expression:
    case CfKind::Unknown:
    case CfKind::ContainsText:
    case CfKind::NotContainsText:
    case CfKind::BeginsWith:
    case CfKind::EndsWith: return;  // text rules keep their formula, which holds the text
    case CfKind::TimePeriod: r.kind = kind; return;
    default: r.kind = kind; r.formulas.clear();
    }
}

bool NewerRuleReader::Point(CondRule& r, bool withEqual) {
    CfPoint p;
    const uint8_t type = in_.U8();
    const uint16_t size = in_.U16();
    const std::string_view tokens = in_.Take(size);
    if (size == 0) p.value = in_.F64();
    if (withEqual) {
        p.gte = in_.U8() != 0;
        in_.Skip(4);
    }
    static constexpr CfPoint::Kind kKinds[] = {CfPoint::Kind::Number, CfPoint::Kind::Min, CfPoint::Kind::Max,
                                               CfPoint::Kind::Percent, CfPoint::Kind::Percentile};
    if (type >= 1 && type <= 5) p.kind = kKinds[type - 1];
    else if (type == 7) p.kind = CfPoint::Kind::Formula;
    else return false;
    bool ok = std::isfinite(p.value) && r.points.size() < kMaxPoints;
    if (size > 0) {
        auto text = FormulaText(tokens, TokenLayout::Biff8, base_);
        // A percent given as a formula is not evaluated (as in the text formats).
        ok = ok && text && (p.kind == CfPoint::Kind::Number || p.kind == CfPoint::Kind::Formula);
        p.kind = CfPoint::Kind::Formula;
        if (text) p.formula = std::move(*text);
    } else if (p.kind == CfPoint::Kind::Formula) {
        ok = false;
    }
    r.points.push_back(std::move(p));
    return ok;
}

bool NewerRuleReader::Colour(CondRule& r) {
    const uint32_t kind = in_.U32(), value = in_.U32();
    in_.F64();  // tint: only theme colours carry one
    switch (kind) {
    case 0: r.colors.push_back(Color::Rgb(0)); return true;  // automatic
    case 1: r.colors.push_back(styles_.PaletteColor(value)); return r.colors.back().set;
    case 2: r.colors.push_back(Color::Rgb((value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF))); return true;
    default: return false;  // theme colours: the workbook's theme is not read
    }
}

bool NewerRuleReader::Gradient(CondRule& r) {
    r.kind = CfKind::ColorScale;
    in_.Skip(3);
    const uint8_t points = in_.U8(), colours = in_.U8();
    in_.U8();
    if (points < 2 || points > 3 || colours != points) return false;
    bool ok = true;
    for (uint8_t i = 0; i < points; ++i) {
        ok = Point(r, false) && ok;
        in_.F64();  // its place on the scale
    }
    for (uint8_t i = 0; i < colours; ++i) {
        in_.F64();
        ok = Colour(r) && ok;
    }
    return ok;
}

bool NewerRuleReader::DataBar(CondRule& r) {
    r.kind = CfKind::DataBar;
    in_.Skip(3);
    const uint8_t flags = in_.U8(), lo = in_.U8(), hi = in_.U8();
    r.showValue = flags & 0x02;
    r.barMinLength = std::min<uint8_t>(lo, 100);
    r.barMaxLength = std::clamp<uint8_t>(hi, r.barMinLength, 100);
    const bool colour = Colour(r);
    const bool low = Point(r, false);
    const bool high = Point(r, false);
    return colour && low && high;
}

bool NewerRuleReader::IconSet(CondRule& r) {
    r.kind = CfKind::IconSet;
    in_.Skip(3);
    const uint8_t count = in_.U8(), set = in_.U8(), flags = in_.U8();
    r.showValue = !(flags & 0x01);
    r.reverse = flags & 0x04;
    if (!IconSetOfCode(set, r.iconSet) || count < 3 || count > kMaxPoints) return false;
    bool ok = true;
    for (uint8_t i = 0; i < count; ++i) ok = Point(r, true) && ok;
    return ok;
}

bool NewerRuleReader::Filter(CondRule& r) {
    r.kind = CfKind::Top10;
    in_.Skip(3);
    const uint8_t flags = in_.U8();
    r.bottom = !(flags & 0x01);
    r.percent = flags & 0x02;
    r.rank = in_.U16();
    return true;
}

}  // namespace sheets::xls
