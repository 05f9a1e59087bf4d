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

}  // namespace sheets
