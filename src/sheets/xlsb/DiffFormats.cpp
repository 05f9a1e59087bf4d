#include "sheets/xlsb/DiffFormats.h"

#include "sheets/model/BinaryCodes.h"
#include "sheets/xlsb/Styles.h"

namespace sheets::xlsb {
namespace {

// Property types of a format's property list.
enum Prop : uint16_t {
    kPattern = 0x00,
    kForeground = 0x01,
    kBackground = 0x02,
    kFontColor = 0x05,
    kTop = 0x06,
    kBottom = 0x07,
    kLeft = 0x08,
    kRight = 0x09,
    kVertical = 0x0B,
    kHorizontal = 0x0C,
    kWeight = 0x19,
    kUnderline = 0x1A,
    kItalic = 0x1C,
    kStrike = 0x1D,
};

// Reads one property from its own bytes.
void ReadProp(uint16_t type, Payload& p, DiffSpec& d) {
    switch (type) {
    case kPattern: d.noFill = p.U8() == 0; break;
    case kForeground: d.fillFg = ReadColor(p); break;
    case kBackground: d.fillBg = ReadColor(p); break;
    case kFontColor: d.fontColor = ReadColor(p); break;
    case kTop:
    case kBottom:
    case kLeft:
    case kRight:
    case kVertical:
    case kHorizontal: {
        // top, bottom, left, right, diagonal (not drawn), vertical, horizontal
        static constexpr int kSide[] = {2, 3, 0, 1, -1, 4, 5};
        const int side = kSide[type - kTop];
        d.borderColor[side] = ReadColor(p);
        d.border[side] = BorderStyleOfCode(uint8_t(p.U16()), BorderStyle::Thin);
        break;
    }
    case kWeight: d.bold = p.U16() >= 600; break;
    case kUnderline: d.underline = p.U16() != 0; break;
    case kItalic: d.italic = p.U8() != 0; break;
    case kStrike: d.strike = p.U8() != 0; break;
    default: break;
    }
}

}  // namespace

DiffSpec ReadDiffSpec(Payload& in) {
    DiffSpec d;
    in.Skip(4);  // flags, reserved
    const uint16_t count = in.U16();
    for (uint32_t i = 0; i < count && in.Ok(); ++i) {
        const uint16_t type = in.U16(), size = in.U16();
        if (!in.Ok() || size < 4 || size - 4u > in.Left()) break;
        std::string bytes(size - 4u, '\0');
        for (char& c : bytes) c = char(in.U8());
        Payload p(bytes);
        DiffSpec one = d;
        ReadProp(type, p, one);
        if (p.Ok()) d = one;
    }
    return d;
}

DiffFormat ResolveDiff(const DiffSpec& s, const xlsx::ColorResolver& colors) {
    DiffFormat d;
    d.fontColor = colors.Resolve(s.fontColor);
    d.bold = s.bold;
    d.italic = s.italic;
    d.strike = s.strike;
    d.underline = s.underline;
    // As in the text formats, a solid fill names its colour as the background.
    if (!s.noFill) d.fill = colors.Resolve(s.fillBg.kind != xlsx::ColorSpec::Kind::None ? s.fillBg : s.fillFg);
    BorderSide* sides[] = {&d.left, &d.right, &d.top, &d.bottom, &d.vertical, &d.horizontal};
    for (int i = 0; i < 6; ++i)
        if (s.border[i] != BorderStyle::None) *sides[i] = BorderSide{s.border[i], colors.Resolve(s.borderColor[i])};
    return d;
}

}  // namespace sheets::xlsb
