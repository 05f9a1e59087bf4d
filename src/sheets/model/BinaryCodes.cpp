#include "sheets/model/BinaryCodes.h"

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

}  // namespace sheets
