#include "sheets/xlsb/CondFormats.h"

#include <algorithm>
#include <cmath>

#include "sheets/model/BinaryCodes.h"
#include "sheets/model/BinaryFormula.h"
#include "sheets/xlsb/Styles.h"
#include "sheets/xlsb/Worksheet.h"

namespace sheets::xlsb {
namespace {

namespace rt {
constexpr uint32_t BeginConditionalFormatting = 461, EndConditionalFormatting = 462, BeginCFRule = 463, EndCFRule = 464,
                   BeginIconSet = 465, BeginDatabar = 467, BeginColorScale = 469, CFVO = 471, Color = 564;
}  // namespace rt

// The ranges and rules a sheet may hold: more is no sheet a person made, and
// a hostile part could otherwise fill the memory with them.
constexpr size_t kMaxRanges = 1u << 18, kMaxRules = 1u << 16;

// The formula of a rule or a point: its token count, tokens, then extra
// data the tokens may refer to (not needed by the tokens a rule may use).
std::optional<std::string> ParsedFormula(Payload& in, FormulaBase base) {
    const uint32_t count = in.U32();
    if (!in.Ok() || count > in.Left()) {
        in.Skip(in.Left() + 1);  // marks the record as cut short
        return std::nullopt;
    }
    std::string tokens(count, '\0');
    for (char& c : tokens) c = char(in.U8());
    in.Skip(in.U32());
    if (!in.Ok()) return std::nullopt;
    return FormulaText(tokens, TokenLayout::Biff12, base);
}

bool OperatorOf(uint32_t op, CfOperator& out) {
    static constexpr CfOperator kOps[] = {CfOperator::Between,      CfOperator::NotBetween, CfOperator::Equal,
                                          CfOperator::NotEqual,     CfOperator::Greater,    CfOperator::Less,
                                          CfOperator::GreaterEqual, CfOperator::LessEqual};
    if (op < 1 || op > 8) return false;
    out = kOps[op - 1];
    return true;
}

}  // namespace

bool CondFormatReader::OnRecord(const Record& r) {
    Payload in(r.data);
    switch (r.type) {
    case rt::BeginConditionalFormatting: Begin(in); return true;
    case rt::EndConditionalFormatting: inFormat_ = inRule_ = false; return true;
    case rt::BeginCFRule: BeginRule(in); return true;
    case rt::EndCFRule: inRule_ = false; return true;
    case rt::CFVO: Point(in); return true;
    case rt::Color:
        if (CondRule* rule = Current()) {
            const Color c = colors_.Resolve(ReadColor(in));
            if (in.Ok() && rule->colors.size() < 8) rule->colors.push_back(c);
            else rule->kind = CfKind::Unknown;
        }
        return true;
    case rt::BeginDatabar:
        if (CondRule* rule = Current()) {
            const uint8_t lo = in.U8(), hi = in.U8(), show = in.U8();
            if (!in.Ok()) rule->kind = CfKind::Unknown;
            rule->barMinLength = std::min<uint8_t>(lo, 100);
            rule->barMaxLength = std::clamp<uint8_t>(hi, rule->barMinLength, 100);
            rule->showValue = show != 0;
        }
        return true;
    case rt::BeginIconSet:
        if (CondRule* rule = Current()) {
            const uint32_t set = in.U32(), flags = in.U32();
            if (!in.Ok() || !IconSetOfCode(set, rule->iconSet)) rule->kind = CfKind::Unknown;
            rule->showValue = !(flags & 0x01);
            rule->reverse = flags & 0x02;
        }
        return true;
    case rt::BeginColorScale: return true;
    default: return false;
    }
}

FormulaBase CondFormatReader::BaseOf(const CondFormat& f) const {
    return FormulaBase{f.ranges.front().row1, f.ranges.front().col1, sheetNames_};
}

CondRule* CondFormatReader::Current() {
    if (!inRule_ || sheet_.condFormats.empty() || sheet_.condFormats.back().rules.empty()) return nullptr;
    return &sheet_.condFormats.back().rules.back();
}

void CondFormatReader::Begin(Payload& in) {
    inFormat_ = inRule_ = false;
    in.Skip(8);  // the count of rules (they are counted as they come), pivot tables only
    const uint32_t count = in.U32();
    CondFormat f;
    for (uint32_t i = 0; i < count && in.Ok() && ranges_ < kMaxRanges; ++i) {
        Range g;
        if (ReadRange(in, g)) {
            f.ranges.push_back(g);
            ++ranges_;
        }
    }
    if (f.ranges.empty()) return;  // its rules apply nowhere
    sheet_.condFormats.push_back(std::move(f));
    inFormat_ = true;
}

void CondFormatReader::BeginRule(Payload& in) {
    inRule_ = false;
    if (!inFormat_ || rules_ >= kMaxRules) return;
    ++rules_;
    CondFormat& f = sheet_.condFormats.back();
    const uint32_t type = in.U32(), templ = in.U32(), dxf = in.U32(), priority = in.U32(), param = in.U32();
    in.Skip(8);
    const uint16_t flags = in.U16();
    const uint32_t size1 = in.U32(), size2 = in.U32(), size3 = in.U32();
    CondRule r;
    r.text = in.NullableWideString();
    r.priority = std::min<uint32_t>(priority, INT32_MAX);
    r.diff = dxf <= INT32_MAX ? int32_t(dxf) : -1;
    r.stopIfTrue = flags & 0x02;
    bool ok = true;
    const FormulaBase base = BaseOf(f);
    for (uint32_t size : {size1, size2, size3}) {
        if (size == 0) continue;
        auto text = ParsedFormula(in, base);
        if (text) r.formulas.push_back(std::move(*text));
        else ok = false;
    }
    switch (type) {
    case 1: r.kind = OperatorOf(param, r.op) && !r.formulas.empty() ? CfKind::CellIs : CfKind::Unknown; break;
    case 2: r.kind = CfKindOfTemplate(templ, param, r); break;
    case 3: r.kind = CfKind::ColorScale; break;
    case 4: r.kind = CfKind::DataBar; break;
    case 5:
        r.kind = CfKind::Top10;
        r.rank = double(std::min<uint32_t>(param, 1u << 30));
        r.bottom = flags & 0x08;
        r.percent = flags & 0x10;
        break;
    case 6: r.kind = CfKind::IconSet; break;
    default: r.kind = CfKind::Unknown; break;
    }
    // A formula the rule is evaluated by must have been read.
    if (!in.Ok() || (!ok && (r.kind == CfKind::CellIs || r.kind == CfKind::Expression))) r.kind = CfKind::Unknown;
    if (r.kind == CfKind::Expression && r.formulas.empty()) r.kind = CfKind::Unknown;
    // Scales draw their own colours; the format a writer may still name is not theirs.
    if (type == 3 || type == 4 || type == 6) r.diff = -1;
    f.rules.push_back(std::move(r));
    inRule_ = true;
}

void CondFormatReader::Point(Payload& in) {
    CondRule* rule = Current();
    if (!rule) return;
    const uint32_t type = in.U32();
    CfPoint p;
    p.value = in.F64();
    in.U32();  // whether the next field was saved
    p.gte = in.U32() != 0;
    const uint32_t size = in.U32();
    std::optional<std::string> formula;
    if (size > 0) formula = ParsedFormula(in, BaseOf(sheet_.condFormats.back()));
    static constexpr CfPoint::Kind kKinds[] = {CfPoint::Kind::Number, CfPoint::Kind::Min, CfPoint::Kind::Max,
                                               CfPoint::Kind::Percent, CfPoint::Kind::Percentile};
    bool ok = in.Ok() && std::isfinite(p.value) && (size == 0 || formula) && rule->points.size() < 8;
    if (type >= 1 && type <= 5) p.kind = kKinds[type - 1];
    else if (type == 7) p.kind = CfPoint::Kind::Formula;
    else ok = false;
    if (formula) {
        // A point given by a formula: as a number, evaluated; as a percent,
        // not evaluated (as in the text formats).
        ok = ok && (p.kind == CfPoint::Kind::Number || p.kind == CfPoint::Kind::Formula);
        p.kind = CfPoint::Kind::Formula;
        p.formula = std::move(*formula);
    } else if (p.kind == CfPoint::Kind::Formula) {
        ok = false;
    }
    if (!ok) rule->kind = CfKind::Unknown;
    rule->points.push_back(std::move(p));
}

}  // namespace sheets::xlsb
