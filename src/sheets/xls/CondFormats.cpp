#include "sheets/xls/CondFormats.h"

#include <algorithm>

#include "sheets/model/BinaryCodes.h"
#include "sheets/model/BinaryFormula.h"
#include "sheets/xls/CondFormats12.h"

namespace sheets::xls {
namespace {

constexpr uint16_t kCondFmt = 0x01B0, kCf = 0x01B1, kCondFmt12 = 0x0879, kCf12 = 0x087A, kCfEx = 0x087B;

// Bits of the DXFN's first 32: which parts it states ("ninch": not
// changed), then which blocks follow.
constexpr uint32_t kLeftNinch = 1u << 10, kRightNinch = 1u << 11, kTopNinch = 1u << 12, kBottomNinch = 1u << 13,
                   kPatternNinch = 1u << 16, kForeNinch = 1u << 17, kBackNinch = 1u << 18, kHasNumber = 1u << 25,
                   kHasFont = 1u << 26, kHasAlign = 1u << 27, kHasBorder = 1u << 28, kHasPattern = 1u << 29,
                   kHasProtection = 1u << 30;

constexpr size_t kFontBlock = 118;

// The rules a sheet may hold: more is no sheet a person made, and a hostile
// stream could otherwise fill the memory with them.
constexpr uint32_t kMaxRules = 1u << 16, kMaxRanges = 1u << 18;

uint32_t U32At(std::string_view s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}

void ReadFont(std::string_view f, const StyleTable& styles, DiffFormat& d) {
    const uint32_t ts = U32At(f, 68), tsNinch = U32At(f, 88);
    const uint32_t weight = U32At(f, 72) & 0xFFFF, underline = uint8_t(f[76]);
    const uint32_t color = U32At(f, 80);
    if (color != 0xFFFFFFFF) d.fontColor = styles.PaletteColor(color);
    if (!(tsNinch & 0x02)) d.italic = (ts & 0x02) ? 1 : 0;
    if (!(tsNinch & 0x80)) d.strike = (ts & 0x80) ? 1 : 0;
    if (U32At(f, 96) == 0 && (underline <= 2 || underline == 0x21 || underline == 0x22)) d.underline = underline != 0;
    if (U32At(f, 100) == 0 && weight >= 100 && weight <= 1000) d.bold = weight >= 600;
}

void ReadBorders(uint32_t flags, Bytes& in, const StyleTable& styles, DiffFormat& d) {
    const uint32_t a = in.U32(), b = in.U32();
    const auto side = [&](uint32_t ninch, uint32_t code, uint32_t icv, BorderSide& out) {
        if (!(flags & ninch) && code != 0)
            out = BorderSide{BorderStyleOfCode(uint8_t(code), BorderStyle::Thin), styles.PaletteColor(icv)};
    };
    side(kLeftNinch, a & 0xF, (a >> 16) & 0x7F, d.left);
    side(kRightNinch, (a >> 4) & 0xF, (a >> 23) & 0x7F, d.right);
    side(kTopNinch, (a >> 8) & 0xF, b & 0x7F, d.top);
    side(kBottomNinch, (a >> 12) & 0xF, (b >> 7) & 0x7F, d.bottom);
}

void ReadPattern(uint32_t flags, Bytes& in, const StyleTable& styles, DiffFormat& d) {
    const uint16_t a = in.U16(), b = in.U16();
    const uint32_t pattern = (a >> 10) & 0x3F, fore = b & 0x7F, back = (b >> 7) & 0x7F;
    if (!(flags & kPatternNinch) && pattern == 0) return;  // no fill
    // A solid fill names its colour as the background, as in the newer
    // formats; the foreground stands in where only it is given.
    if (!(flags & kBackNinch) && back < 64) d.fill = styles.PaletteColor(back);
    else if (!(flags & kForeNinch) && fore < 64) d.fill = styles.PaletteColor(fore);
}

bool OperatorOf(uint8_t cp, CfOperator& out) {
    static constexpr CfOperator kOps[] = {CfOperator::Between,      CfOperator::NotBetween, CfOperator::Equal,
                                          CfOperator::NotEqual,     CfOperator::Greater,    CfOperator::Less,
                                          CfOperator::GreaterEqual, CfOperator::LessEqual};
    if (cp < 1 || cp > 8) return false;
    out = kOps[cp - 1];
    return true;
}

}  // namespace

DiffFormat ReadDiffFormat(Bytes& in, const StyleTable& styles) {
    DiffFormat d;
    const uint32_t flags = in.U32();
    const uint16_t more = in.U16();
    if (flags & kHasNumber) {
        if (more & 0x01) {  // a format code of its own, with its size first
            const uint16_t size = in.U16();
            in.Skip(size >= 2 ? size - 2 : 0);
        } else {
            in.Skip(2);
        }
    }
    if (flags & kHasFont) ReadFont(in.Take(kFontBlock), styles, d);
    if (flags & kHasAlign) in.Skip(8);
    if (flags & kHasBorder) ReadBorders(flags, in, styles, d);
    if (flags & kHasPattern) ReadPattern(flags, in, styles, d);
    if (flags & kHasProtection) in.Skip(2);
    return d;
}

bool CondFormatRecords::Read(const Record& r) {
    switch (r.type) {
    case kCondFmt: Begin(r.data, false); return true;
    case kCf: Rule(r.data); return true;
    case kCondFmt12: Begin(r.data, true); return true;
    case kCf12: NewerRule(r.data); return true;
    case kCfEx: Extension(r.data); return true;
    default: return false;
    }
}

void CondFormatRecords::Begin(std::string_view data, bool newer) {
    rulesLeft_ = 0;
    newer_ = newer;
    Bytes in(data);
    if (newer) in.Skip(12);  // the header of newer records
    const uint16_t count = in.U16();
    const uint16_t id = in.U16() >> 1;  // below a bit this reader has no use for
    in.Skip(8);  // the bounds of its ranges
    CondFormat f;
    const uint16_t ranges = in.U16();
    for (uint32_t i = 0; i < ranges && in.Left() >= 8 && ranges_ < kMaxRanges; ++i) {
        Range g;
        g.row1 = in.U16();
        g.row2 = in.U16();
        g.col1 = in.U16();
        g.col2 = in.U16();
        if (g.row2 < g.row1 || g.col2 < g.col1 || g.col2 > 16383) continue;
        f.ranges.push_back(g);
        ++ranges_;
    }
    if (f.ranges.empty()) return;  // its rules apply nowhere
    if (!newer) byId_[id] = sheet_.condFormats.size();
    sheet_.condFormats.push_back(std::move(f));
    rulesLeft_ = count;
}

// Spreadsheets since 2007 keep a CF rule's priority and "stop if true" in a
// record of its own, which names the rule by its format's id and its place
// among that format's rules. A CF12 rule carries both itself.
void CondFormatRecords::Extension(std::string_view data) {
    Bytes in(data);
    in.Skip(12);  // the header of newer records
    const uint32_t ofNewer = in.U32();
    const uint16_t id = in.U16();
    if (ofNewer != 0) return;
    const uint16_t index = in.U16();
    in.Skip(2);  // the comparison and the template, as the CF record has them
    const uint16_t priority = in.U16();
    const uint8_t flags = in.U8();
    auto it = byId_.find(id);
    if (it == byId_.end() || it->second >= sheet_.condFormats.size()) return;
    auto& rules = sheet_.condFormats[it->second].rules;
    if (index >= rules.size()) return;
    if (priority != 0) rules[index].priority = priority;
    rules[index].stopIfTrue = flags & 0x02;
}

FormulaBase CondFormatRecords::BaseOf(const CondFormat& f) {
    if (!namedSheets_) {
        namedSheets_ = true;
        for (int32_t tab : book_.externSheets)
            sheetNames_.push_back(tab >= 0 && size_t(tab) < book_.wb.sheets.size() ? book_.wb.sheets[size_t(tab)].name
                                                                                   : std::string());
    }
    const Range& first = f.ranges.front();
    return FormulaBase{first.row1, first.col1, &sheetNames_};
}

int32_t CondFormatRecords::AddDiff(const DiffFormat& d) {
    auto& diffs = book_.wb.styles.diffs;
    diffs.push_back(d);
    return int32_t(diffs.size() - 1);
}

void CondFormatRecords::Rule(std::string_view data) {
    if (rulesLeft_ == 0 || newer_ || sheet_.condFormats.empty() || order_ >= kMaxRules) return;
    --rulesLeft_;
    Bytes in(data);
    const uint8_t type = in.U8(), cp = in.U8();
    const uint16_t size1 = in.U16(), size2 = in.U16();
    const DiffFormat diff = ReadDiffFormat(in, book_.styles);
    const std::string_view tokens1 = in.Take(size1), tokens2 = in.Take(size2);

    CondFormat& f = sheet_.condFormats.back();
    CondRule rule;
    rule.priority = ++order_;
    rule.diff = AddDiff(diff);
    const FormulaBase base = BaseOf(f);
    bool ok = false;
    if (type == 1 && OperatorOf(cp, rule.op)) {
        rule.kind = CfKind::CellIs;
        const bool two = rule.op == CfOperator::Between || rule.op == CfOperator::NotBetween;
        auto a = FormulaText(tokens1, TokenLayout::Biff8, base);
        auto b = two ? FormulaText(tokens2, TokenLayout::Biff8, base) : std::optional<std::string>("");
        ok = a && b;
        if (ok) rule.formulas.push_back(std::move(*a));
        if (ok && two) rule.formulas.push_back(std::move(*b));
    } else if (type == 2) {
        rule.kind = CfKind::Expression;
        auto a = FormulaText(tokens1, TokenLayout::Biff8, base);
        ok = a.has_value();
        if (ok) rule.formulas.push_back(std::move(*a));
    }
    if (!ok) {
        rule.kind = CfKind::Unknown;
        rule.formulas.clear();
    }
    f.rules.push_back(std::move(rule));
}

void CondFormatRecords::NewerRule(std::string_view data) {
    if (rulesLeft_ == 0 || !newer_ || sheet_.condFormats.empty() || order_ >= kMaxRules) return;
    --rulesLeft_;
    CondFormat& f = sheet_.condFormats.back();
    NewerRuleReader reader(data, book_.styles, BaseOf(f));
    CondRule rule = reader.Read();
    ++order_;
    if (rule.priority == 0) rule.priority = order_;  // none stored: the rules keep their order in the file
    if (reader.HasDiff()) rule.diff = AddDiff(reader.Diff());
    f.rules.push_back(std::move(rule));
}

}  // namespace sheets::xls
