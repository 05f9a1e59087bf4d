#include "sheets/xls/XlsStyles.h"
#include "sheets/model/BinaryCodes.h"

#include <algorithm>
#include <unordered_map>

#include "sheets/Errors.h"
#include "sheets/model/Palette.h"
#include "sheets/numfmt/NumberFormat.h"

namespace sheets::xls {
namespace {

void Key(std::string& k, const Color& c) {
    k += char(c.set);
    k.append(reinterpret_cast<const char*>(&c.rgb), sizeof c.rgb);
}
std::string KeyOf(const Border& b) {
    std::string k;
    for (const BorderSide* s : {&b.left, &b.right, &b.top, &b.bottom}) {
        k += char(s->style);
        Key(k, s->color);
    }
    return k;
}
std::string KeyOf(const Fill& f) {
    std::string k(1, char(f.pattern));
    k += char(f.hatch);
    Key(k, f.fg);
    Key(k, f.bg);
    return k;
}

// Formats by the thousand must not make interning quadratic.
template <class T>
class Interner {
public:
    explicit Interner(std::vector<T>& list) : list_(list) {
        for (size_t i = 0; i < list.size(); ++i) index_.emplace(KeyOf(list[i]), uint32_t(i));
    }
    uint32_t operator()(const T& v) {
        auto [it, added] = index_.emplace(KeyOf(v), uint32_t(list_.size()));
        if (added) list_.push_back(v);
        return it->second;
    }

private:
    std::vector<T>& list_;
    std::unordered_map<std::string, uint32_t> index_;
};

}  // namespace

void StyleTable::AddFont(std::string_view data, const StringContext& ctx, uint8_t biff) {
    Bytes b(data);
    RawFont f;
    f.font.size = b.U16() / 20.0;
    const uint16_t grbit = b.U16();
    f.font.italic = grbit & 0x02;
    f.font.strike = grbit & 0x08;
    if (biff >= 3) f.color = b.U16();
    if (biff >= 5) {
        const uint16_t weight = b.U16();
        const uint16_t script = b.U16();
        const uint8_t underline = b.U8();
        b.Skip(3);  // family, character set, reserved
        f.font.bold = weight >= 600 || (weight == 0 && (grbit & 0x01));
        f.font.vertAlign = script == 1   ? VertAlignRun::Superscript
                           : script == 2 ? VertAlignRun::Subscript
                                         : VertAlignRun::Baseline;
        switch (underline) {
        case 0x01: f.font.underline = Underline::Single; break;
        case 0x02: f.font.underline = Underline::Double; break;
        case 0x21: f.font.underline = Underline::SingleAccounting; break;
        case 0x22: f.font.underline = Underline::DoubleAccounting; break;
        default: break;
        }
    } else {
        // Older fonts are bold or not, underlined or not.
        f.font.bold = grbit & 0x01;
        if (grbit & 0x04) f.font.underline = Underline::Single;
    }
    Continued rest({data.substr(b.Pos())});
    f.font.name = ReadString(rest, ctx, false).text;
    if (f.font.size <= 0) f.font.size = 10;
    fonts_.push_back(std::move(f));
}

void StyleTable::SetFontColor(std::string_view data) {
    Bytes b(data);
    const uint16_t icv = b.U16();
    if (!fonts_.empty()) fonts_.back().color = icv;
}

void StyleTable::AddFormat(std::string_view data, const StringContext& ctx, uint8_t biff) {
    Bytes b(data);
    // Newer files give each format its number; older ones number them in
    // the order they come (Excel 4's record keeps two unused bytes first).
    const uint16_t id = biff >= 5 ? b.U16() : nextFormat_++;
    if (biff == 4) b.Skip(2);
    Continued rest({data.substr(b.Pos())});
    formats_[id] = ReadString(rest, ctx, ctx.biff8).text;
}

void StyleTable::SetPalette(std::string_view data) {
    Bytes b(data);
    const uint16_t count = b.U16();
    for (uint32_t i = 0; i < count && i < 56 && b.Left() >= 4; ++i) {
        uint32_t r = b.U8(), g = b.U8(), bl = b.U8();
        b.U8();
        palette_[8 + i] = r << 16 | g << 8 | bl;
    }
    for (uint32_t i = 8 + std::min<uint32_t>(count, 56); i < 64; ++i) {
        uint32_t rgb = 0;
        DefaultIndexedColor(i, rgb);
        palette_[i] = rgb;
    }
    for (uint32_t i = 0; i < 8; ++i) DefaultIndexedColor(i, palette_[i]);
    paletteSet_ = true;
}

namespace {

// The colours of Excel 3 and 4 formats have five bits; from 24 up they are
// the system's window colours, that is automatic.
uint8_t Colour5(uint32_t v, uint8_t automatic) { return v >= 24 ? automatic : uint8_t(v); }

void ReadXf8(Bytes& b, StyleTable::RawXf& x) {
    x.rotation = b.U8();
    const uint8_t ind = b.U8();
    x.indent = ind & 0x0F;
    x.shrink = ind & 0x10;
    b.U8();  // attribute groups said to come from the parent style
    const uint32_t bd = b.U32();
    const uint32_t bd2 = b.U32();
    const uint16_t fill = b.U16();
    x.borderStyle[0] = bd & 0x0F;
    x.borderStyle[1] = (bd >> 4) & 0x0F;
    x.borderStyle[2] = (bd >> 8) & 0x0F;
    x.borderStyle[3] = (bd >> 12) & 0x0F;
    x.borderColor[0] = (bd >> 16) & 0x7F;
    x.borderColor[1] = (bd >> 23) & 0x7F;
    x.borderColor[2] = bd2 & 0x7F;
    x.borderColor[3] = (bd2 >> 7) & 0x7F;
    x.pattern = (bd2 >> 26) & 0x3F;
    x.fg = fill & 0x7F;
    x.bg = (fill >> 7) & 0x7F;
}

void ReadXf5(Bytes& b, StyleTable::RawXf& x) {
    const uint8_t ori = b.U8();
    static constexpr uint8_t kRotation[4] = {0, 255, 90, 180};
    x.rotation = kRotation[ori & 0x03];
    const uint32_t a = b.U32();
    const uint32_t c = b.U32();
    x.fg = a & 0x7F;
    x.bg = (a >> 7) & 0x7F;
    x.pattern = (a >> 16) & 0x3F;
    x.borderStyle[3] = (a >> 22) & 0x07;
    x.borderColor[3] = (a >> 25) & 0x7F;
    x.borderStyle[2] = c & 0x07;
    x.borderStyle[0] = (c >> 3) & 0x07;
    x.borderStyle[1] = (c >> 6) & 0x07;
    x.borderColor[2] = (c >> 9) & 0x7F;
    x.borderColor[0] = (c >> 16) & 0x7F;
    x.borderColor[1] = (c >> 23) & 0x7F;
}

// Excel 3 and 4: a 16-bit cell area and a 32-bit border of 3-bit styles
// and 5-bit colours (top, left, bottom, right).
void ReadAreaAndBorder(Bytes& b, StyleTable::RawXf& x) {
    const uint16_t area = b.U16();
    const uint32_t border = b.U32();
    x.pattern = area & 0x3F;
    x.fg = Colour5((area >> 6) & 0x1F, 64);
    x.bg = Colour5((area >> 11) & 0x1F, 65);
    static constexpr int kSide[4] = {2, 0, 3, 1};  // top, left, bottom, right
    for (int i = 0; i < 4; ++i) {
        x.borderStyle[kSide[i]] = (border >> (8 * i)) & 0x07;
        x.borderColor[kSide[i]] = Colour5((border >> (8 * i + 3)) & 0x1F, 64);
    }
}

// Excel 2: one byte of alignment, thin borders and shading.
void ReadAlignment2(uint8_t a, StyleTable::RawXf& x) {
    x.halign = a & 0x07;
    for (int side = 0; side < 4; ++side) {
        if (a & (0x08 << side)) {
            x.borderStyle[side] = 1;
            x.borderColor[side] = 64;
        }
    }
    if (a & 0x80) x.pattern = 17;  // shaded: a sparse grey pattern
}

}  // namespace

void StyleTable::AddXf(std::string_view data, uint8_t biff) {
    Bytes b(data);
    RawXf x;
    if (biff <= 4) {
        x.font = b.U8();
        if (biff == 2) {
            b.U8();
            x.numFmt = b.U8() & 0x3F;
            ReadAlignment2(b.U8(), x);
        } else if (biff == 3) {
            x.numFmt = b.U8();
            x.style = b.U8() & 0x04;
            b.U8();  // attribute groups used
            const uint16_t align = b.U16();
            x.halign = align & 0x07;
            x.wrap = align & 0x08;
            ReadAreaAndBorder(b, x);
        } else {
            x.numFmt = b.U8();
            x.style = b.U16() & 0x04;
            const uint8_t align = b.U8();
            x.halign = align & 0x07;
            x.wrap = align & 0x08;
            x.valign = (align >> 4) & 0x03;
            static constexpr uint8_t kRotation[4] = {0, 255, 90, 180};
            x.rotation = kRotation[align >> 6];
            b.U8();  // attribute groups used
            ReadAreaAndBorder(b, x);
        }
        xfs_.push_back(x);
        return;
    }
    x.font = b.U16();
    x.numFmt = b.U16();
    const uint16_t flags = b.U16();
    x.style = flags & 0x04;
    x.parent = flags >> 4;
    const uint8_t al = b.U8();
    x.halign = al & 0x07;
    x.wrap = al & 0x08;
    x.valign = (al >> 4) & 0x07;
    if (biff >= 8) ReadXf8(b, x);
    else ReadXf5(b, x);
    xfs_.push_back(x);
}

uint32_t StyleTable::XfOfAttributes(uint32_t attributes) {
    auto [it, added] = attributeXfs_.try_emplace(attributes, uint32_t(xfs_.size()));
    if (!added) return it->second;
    RawXf x;
    x.numFmt = (attributes >> 8) & 0x3F;
    x.font = (attributes >> 14) & 0x03;
    ReadAlignment2(uint8_t(attributes >> 16), x);
    xfs_.push_back(x);
    return it->second;
}

Color StyleTable::Indexed(uint32_t icv) const {
    if (icv >= 64) return Color{};  // system colours and "automatic"
    if (paletteSet_) return Color::Rgb(palette_[icv]);
    uint32_t rgb = 0;
    DefaultIndexedColor(icv, rgb);
    return Color::Rgb(rgb);
}

uint32_t StyleTable::Resolve(Styles& styles, bool replace) const {
    if (replace) styles.fonts.clear();
    const uint32_t fontBase = uint32_t(styles.fonts.size());
    for (const RawFont& f : fonts_) {
        Font font = f.font;
        font.color = Indexed(f.color);
        styles.fonts.push_back(std::move(font));
    }
    if (styles.fonts.empty()) {
        Font arial;
        arial.name = "Arial";
        arial.size = 10;
        styles.fonts = {arial};
    }
    if (xfs_.empty()) return 0;

    if (replace) styles.formats.clear();
    const uint32_t base = uint32_t(styles.formats.size());
    styles.formats.reserve(base + xfs_.size());
    Interner<Border> borders(styles.borders);
    Interner<Fill> fills(styles.fills);
    for (const RawXf& own : xfs_) {
        // Every cell format carries its complete attributes, and that is
        // what Excel shows: the "inherited from the parent style" flags are
        // cleared by common writers whose cells still show their own number
        // formats, so they are not followed.
        CellFormat cf;
        if (auto it = formats_.find(own.numFmt); it != formats_.end()) cf.numFmt = it->second;
        else if (own.numFmt < 164) cf.numFmt = std::string(BuiltinFormatCode(own.numFmt));
        else cf.numFmt = "General";  // a format that names none shows its values as General
        const uint32_t font = FontRecordIndex(own.font);
        cf.font = font < fonts_.size() ? fontBase + font : fontBase < styles.fonts.size() ? fontBase : 0;

        const RawXf& al = own;
        static constexpr HAlign kH[8] = {
            HAlign::General, HAlign::Left,    HAlign::Center,           HAlign::Right,
            HAlign::Fill,    HAlign::Justify, HAlign::CenterContinuous, HAlign::Distributed};
        static constexpr VAlign kV[5] = {VAlign::Top, VAlign::Center, VAlign::Bottom, VAlign::Justify,
                                         VAlign::Distributed};
        cf.align.horizontal = kH[al.halign & 7];
        cf.align.vertical = al.valign < 5 ? kV[al.valign] : VAlign::Bottom;
        cf.align.wrap = al.wrap;
        cf.align.shrink = al.shrink;
        cf.align.indent = al.indent;
        cf.align.rotation = al.rotation <= 180 || al.rotation == 255 ? al.rotation : 0;

        const RawXf& bd = own;
        Border border;
        BorderSide* sides[4] = {&border.left, &border.right, &border.top, &border.bottom};
        for (int i = 0; i < 4; ++i) {
            sides[i]->style = BorderStyleOfCode(bd.borderStyle[i], BorderStyle::Thin);
            if (sides[i]->style != BorderStyle::None) sides[i]->color = Indexed(bd.borderColor[i]);
        }
        cf.border = borders(border);

        const RawXf& fl = own;
        Fill fill;
        if (fl.pattern == 1) {
            fill.pattern = Fill::Pattern::Solid;
        } else if (fl.pattern == 2 || fl.pattern == 3 || fl.pattern == 4 || fl.pattern == 17 || fl.pattern == 18) {
            fill.pattern = Fill::Pattern::Gray;
        } else if (fl.pattern != 0) {
            fill.pattern = Fill::Pattern::Other;
        }
        fill.hatch = HatchOfCode(fl.pattern);
        if (fill.pattern != Fill::Pattern::None) {
            // Solid fills with an automatic colour are the window text colour.
            fill.fg = fl.fg == 64 ? Color::Rgb(0) : Indexed(fl.fg);
            fill.bg = fl.bg == 65 ? Color::Rgb(0xFFFFFF) : Indexed(fl.bg);
        }
        cf.fill = fills(fill);
        styles.formats.push_back(std::move(cf));
    }
    return base;
}

}  // namespace sheets::xls
