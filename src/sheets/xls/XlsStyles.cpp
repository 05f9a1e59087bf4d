#include "sheets/xls/XlsStyles.h"

#include <algorithm>
#include <unordered_map>

#include "sheets/Errors.h"
#include "sheets/model/Palette.h"
#include "sheets/numfmt/NumberFormat.h"

namespace sheets::xls {
namespace {

BorderStyle BorderOf(uint8_t code) {
    static constexpr BorderStyle kMap[14] = {BorderStyle::None,
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
                                             BorderStyle::SlantDashDot};
    return code < 14 ? kMap[code] : BorderStyle::Thin;
}

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

void StyleTable::AddFont(std::string_view data, const StringContext& ctx) {
    Bytes b(data);
    RawFont f;
    f.font.size = b.U16() / 20.0;
    const uint16_t grbit = b.U16();
    f.color = b.U16();
    const uint16_t weight = b.U16();
    const uint16_t script = b.U16();
    const uint8_t underline = b.U8();
    b.Skip(3);  // family, character set, reserved
    f.font.italic = grbit & 0x02;
    f.font.strike = grbit & 0x08;
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
    Continued rest({data.substr(b.Pos())});
    f.font.name = ReadString(rest, ctx, false).text;
    if (f.font.size <= 0) f.font.size = 10;
    fonts_.push_back(std::move(f));
}

void StyleTable::AddFormat(std::string_view data, const StringContext& ctx) {
    Bytes b(data);
    const uint16_t id = b.U16();
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

void StyleTable::AddXf(std::string_view data, bool biff8) {
    Bytes b(data);
    RawXf x;
    x.font = b.U16();
    x.numFmt = b.U16();
    const uint16_t flags = b.U16();
    x.style = flags & 0x04;
    x.parent = flags >> 4;
    const uint8_t al = b.U8();
    x.halign = al & 0x07;
    x.wrap = al & 0x08;
    x.valign = (al >> 4) & 0x07;
    if (biff8) {
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
    } else {
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
    xfs_.push_back(x);
}

Color StyleTable::Indexed(uint32_t icv) const {
    if (icv >= 64) return Color{};  // system colours and "automatic"
    if (paletteSet_) return Color::Rgb(palette_[icv]);
    uint32_t rgb = 0;
    DefaultIndexedColor(icv, rgb);
    return Color::Rgb(rgb);
}

void StyleTable::Resolve(Styles& styles) const {
    if (!fonts_.empty()) {
        styles.fonts.clear();
        for (const RawFont& f : fonts_) {
            Font font = f.font;
            font.color = Indexed(f.color);
            styles.fonts.push_back(std::move(font));
        }
    } else {
        Font arial;
        arial.name = "Arial";
        arial.size = 10;
        styles.fonts = {arial};
    }
    if (xfs_.empty()) return;

    styles.formats.clear();
    styles.formats.reserve(xfs_.size());
    Interner<Border> borders(styles.borders);
    Interner<Fill> fills(styles.fills);
    for (const RawXf& own : xfs_) {
        // Every cell format carries its complete attributes, and that is
        // what Excel shows: the "inherited from the parent style" flags are
        // cleared by common writers whose cells still show their own number
        // formats, so they are not followed.
        CellFormat cf;
        const RawXf& num = own;
        if (auto it = formats_.find(num.numFmt); it != formats_.end()) {
            cf.numFmt = it->second;
        } else if (num.numFmt < 164) {
            cf.numFmt = std::string(BuiltinFormatCode(num.numFmt));
        } else {
            throw Error(ErrorKind::Damaged, "The workbook is damaged: a cell format names a missing number format");
        }

        const RawXf& fnt = own;
        const uint32_t font = FontRecordIndex(fnt.font);
        if (font >= styles.fonts.size())
            throw Error(ErrorKind::Damaged, "The workbook is damaged: a cell format names a missing font");
        cf.font = font;

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
            sides[i]->style = BorderOf(bd.borderStyle[i]);
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
        if (fill.pattern != Fill::Pattern::None) {
            // Solid fills with an automatic colour are the window text colour.
            fill.fg = fl.fg == 64 ? Color::Rgb(0) : Indexed(fl.fg);
            fill.bg = fl.bg == 65 ? Color::Rgb(0xFFFFFF) : Indexed(fl.bg);
        }
        cf.fill = fills(fill);
        styles.formats.push_back(std::move(cf));
    }
}

}  // namespace sheets::xls
