#include "sheets/model/BinaryCodes.h"

#include <algorithm>

#include <iterator>

namespace sheets {

std::string_view ErrorCodeText(uint8_t code) {
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    case 0x2B: return "#GETTING_DATA";
    default: return {};
    }
}

BorderStyle BorderStyleOfCode(uint8_t code, BorderStyle unknown) {
    static constexpr BorderStyle kStyles[] = {
        BorderStyle::None,
        BorderStyle::Thin,
        BorderStyle::Medium,
        BorderStyle::Dashed,
        BorderStyle::Dotted,
        BorderStyle::Thick,
        BorderStyle::Double,
        BorderStyle::Hair,
        BorderStyle::MediumDashed,
        BorderStyle::DashDot,
        BorderStyle::MediumDashDot,
        BorderStyle::DashDotDot,
        BorderStyle::MediumDashDotDot,
        BorderStyle::SlantDashDot,
    };
    return code < std::size(kStyles) ? kStyles[code] : unknown;
}

// The pattern numbers 2 to 18 name the hatches in their order, but for the
// two finest, which came last.
Hatch HatchOfCode(uint32_t code) {
    if (code == 2) return Hatch::MediumGray;
    if (code == 3) return Hatch::DarkGray;
    if (code == 4) return Hatch::LightGray;
    if (code >= 5 && code <= 16) return static_cast<Hatch>(code + 1);
    if (code == 17) return Hatch::Gray125;
    if (code == 18) return Hatch::Gray0625;
    return Hatch::None;
}

bool IconSetOfCode(uint32_t code, IconSetKind& out) {
    static constexpr IconSetKind kSets[] = {
        IconSetKind::Arrows3,
        IconSetKind::ArrowsGray3,
        IconSetKind::Flags3,
        IconSetKind::TrafficLights3,
        IconSetKind::TrafficLightsRimmed3,
        IconSetKind::Signs3,
        IconSetKind::SymbolsCircled3,
        IconSetKind::Symbols3,
        IconSetKind::Arrows4,
        IconSetKind::ArrowsGray4,
        IconSetKind::RedToBlack4,
        IconSetKind::Rating4,
        IconSetKind::TrafficLights4,
        IconSetKind::Arrows5,
        IconSetKind::ArrowsGray5,
        IconSetKind::Rating5,
        IconSetKind::Quarters5,
    };
    if (code >= std::size(kSets)) return false;
    out = kSets[code];
    return true;
}

CfKind CfKindOfTemplate(uint32_t templ, uint32_t param, CondRule& rule) {
    enum : uint32_t {
        kUnique = 0x07,
        kContainsText = 0x08,
        kBlanks = 0x09,
        kNoBlanks = 0x0A,
        kErrors = 0x0B,
        kNoErrors = 0x0C,
        kToday = 0x0F,
        kThisMonth = 0x18,
        kAboveAverage = 0x19,
        kBelowAverage = 0x1A,
        kDuplicate = 0x1B,
        kAboveOrEqualAverage = 0x1D,
        kBelowOrEqualAverage = 0x1E,
    };
    static constexpr CfPeriod kPeriods[] = {
        CfPeriod::Today,     CfPeriod::Tomorrow, CfPeriod::Yesterday, CfPeriod::Last7Days, CfPeriod::LastMonth,
        CfPeriod::NextMonth, CfPeriod::ThisWeek, CfPeriod::NextWeek,  CfPeriod::LastWeek,  CfPeriod::ThisMonth};
    static constexpr CfKind kTexts[] = {CfKind::ContainsText, CfKind::NotContainsText, CfKind::BeginsWith,
                                        CfKind::EndsWith};
    if (templ >= kToday && templ <= kThisMonth) {
        rule.period = kPeriods[templ - kToday];
        return CfKind::TimePeriod;
    }
    switch (templ) {
    case kUnique: return CfKind::Unique;
    case kDuplicate: return CfKind::Duplicate;
    case kContainsText: return param < 4 ? kTexts[param] : CfKind::Unknown;
    case kBlanks: return CfKind::Blanks;
    case kNoBlanks: return CfKind::NoBlanks;
    case kErrors: return CfKind::Errors;
    case kNoErrors: return CfKind::NoErrors;
    case kAboveAverage:
    case kBelowAverage:
    case kAboveOrEqualAverage:
    case kBelowOrEqualAverage:
        rule.below = templ == kBelowAverage || templ == kBelowOrEqualAverage;
        rule.equalAverage = templ == kAboveOrEqualAverage || templ == kBelowOrEqualAverage;
        rule.stdDev = int32_t(std::min<uint32_t>(param, 3));
        return CfKind::AboveAverage;
    default: return CfKind::Expression;
    }
}

bool TableAreaOfCode(uint32_t code, TableArea& out) {
    static constexpr TableArea kAreas[] = {
        TableArea::WholeTable,      TableArea::HeaderRow,         TableArea::TotalRow,
        TableArea::FirstColumn,     TableArea::LastColumn,        TableArea::FirstRowStripe,
        TableArea::SecondRowStripe, TableArea::FirstColumnStripe, TableArea::SecondColumnStripe,
        TableArea::FirstHeaderCell, TableArea::LastHeaderCell,    TableArea::FirstTotalCell,
        TableArea::LastTotalCell};
    if (code >= std::size(kAreas)) return false;
    out = kAreas[code];
    return true;
}

}  // namespace sheets
