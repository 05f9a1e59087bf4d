#include "sheets/xlsb/Styles.h"
#include "sheets/model/BinaryCodes.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "sheets/numfmt/NumberFormat.h"
#include "sheets/xlsb/RecordTypes.h"

namespace sheets::xlsb {

namespace {

Fill::Pattern PatternOf(uint32_t fls) {
    switch (fls) {
    case 0: return Fill::Pattern::None;
    case 1: return Fill::Pattern::Solid;
    case 2:  // medium, dark and light gray, gray 12.5% and 6.25%
    case 3:
    case 4:
    case 17:
    case 18: return Fill::Pattern::Gray;
    default: return Fill::Pattern::Other;  // stripes, grids, trellises, gradients
    }
}

Underline UnderlineOf(uint8_t uls) {
    switch (uls) {
    case 0x01: return Underline::Single;
    case 0x02: return Underline::Double;
    case 0x21: return Underline::SingleAccounting;
    case 0x22: return Underline::DoubleAccounting;
    default: return Underline::None;
    }
}

constexpr uint32_t kGradientFill = 0x28;

}  // namespace

xlsx::ColorSpec ReadColor(Payload& in) {
    const uint8_t kind = in.U8();
    const uint8_t index = in.U8();
    const int16_t tint = int16_t(in.U16());
    const uint8_t r = in.U8(), g = in.U8(), b = in.U8();
    in.U8();  // alpha: ignored, as in the .xlsx reader
    xlsx::ColorSpec c;
    c.tint = std::clamp(tint / 32767.0, -1.0, 1.0);
    switch (kind >> 1) {
    case 1:
        c.kind = xlsx::ColorSpec::Kind::Indexed;
        c.value = index;
        break;
    case 2:
        c.kind = xlsx::ColorSpec::Kind::Rgb;
        c.value = uint32_t(r) << 16 | uint32_t(g) << 8 | b;
        break;
    case 3:
        c.kind = xlsx::ColorSpec::Kind::Theme;
        c.value = index;
        break;
    default: break;  // automatic
    }
    return c;
}

void StylesReader::AddFont(Payload& in) {
    xlsx::FontSpec f;
    const uint16_t twips = in.U16();
    const uint16_t flags = in.U16();
    const uint16_t weight = in.U16();
    const uint16_t script = in.U16();
    const uint8_t underline = in.U8();
    in.Skip(3);  // family, character set, unused
    const xlsx::ColorSpec color = ReadColor(in);
    in.U8();  // font scheme
    std::string name = in.WideString();
    if (!in.Ok()) return;
    if (twips > 0) f.size = std::min(twips / 20.0, 409.0);
    f.italic = flags & 0x02;
    f.strike = flags & 0x08;
    f.bold = weight >= 600;
    f.vertAlign = script == 1   ? VertAlignRun::Superscript
                  : script == 2 ? VertAlignRun::Subscript
                                : VertAlignRun::Baseline;
    f.underline = UnderlineOf(underline);
    f.color = color;
    if (!name.empty()) f.name = std::move(name);
    fonts_.push_back(std::move(f));
}

void StylesReader::AddFill(Payload& in) {
    FillSpec f;
    const uint32_t fls = in.U32();
    f.pattern = PatternOf(fls);
    f.hatch = HatchOfCode(fls);
    f.fg = ReadColor(in);
    f.bg = ReadColor(in);
    if (fls == kGradientFill) {
        // The stops: the first colour shows, the last is the background.
        in.Skip(4 + 5 * 8);  // type, angle, fill-to rectangle
        const uint32_t stops = in.U32();
        f.fg = f.bg = {};
        for (uint32_t i = 0; i < stops && in.Ok(); ++i) {
            const xlsx::ColorSpec c = ReadColor(in);
            in.F64();  // position
            (i == 0 ? f.fg : f.bg) = c;
        }
    }
    if (!in.Ok()) f = FillSpec{PatternOf(fls), {}, {}, HatchOfCode(fls)};
    fills_.push_back(f);
}

void StylesReader::AddBorder(Payload& in) {
    BorderSpec b;
    in.U8();  // diagonal flags
    // Stored top, bottom, left, right (then the diagonal, not shown).
    static constexpr int kSide[] = {2, 3, 0, 1};
    for (int side : kSide) {
        b.style[side] = BorderStyleOfCode(in.U8(), BorderStyle::None);
        in.U8();
        b.color[side] = ReadColor(in);
    }
    if (!in.Ok()) return;
    borders_.push_back(b);
}

void StylesReader::AddXf(Payload& in) {
    XfSpec x;
    x.parent = in.U16();
    x.numFmt = in.U16();
    x.font = in.U16();
    x.fill = in.U16();
    x.border = in.U16();
    const uint8_t rotation = in.U8();
    const uint8_t indent = in.U8();
    const uint16_t flags = in.U16();
    if (!in.Ok()) return;
    static constexpr VAlign kVertical[] = {VAlign::Top, VAlign::Center, VAlign::Bottom, VAlign::Justify,
                                           VAlign::Distributed};
    x.align.horizontal = HAlign(flags & 7);  // the same order as the model's
    const unsigned v = flags >> 3 & 7;
    x.align.vertical = v < std::size(kVertical) ? kVertical[v] : VAlign::Bottom;
    x.align.wrap = flags & 0x40;
    x.align.shrink = flags & 0x100;
    x.align.indent = std::min<uint8_t>(indent, 250);
    x.align.rotation = rotation == 255 ? 255 : std::min<uint8_t>(rotation, 180);
    (section_ == Section::StyleXfs ? styleXfs_ : cellXfs_).push_back(x);
}

void StylesReader::BeginTableStyle(Payload& in) {
    const uint16_t flags = in.U16();
    in.U32();  // the count of its elements: the end record closes it
    std::string name = in.NullableWideString();
    // Pivot-only styles never format a table; a style without a name cannot
    // be named by one.
    inTableStyle_ = in.Ok() && !name.empty() && !((flags & 0x2) && !(flags & 0x4));
    if (inTableStyle_) tableStyles_.push_back(TableStyle{std::move(name), {}});
}

void StylesReader::AddTableStyleElement(Payload& in) {
    const uint32_t type = in.U32(), size = in.U32(), dxf = in.U32();
    TableArea area;
    // Each area appears once in a style, so a longer list is damage.
    if (!inTableStyle_ || !in.Ok() || !TableAreaOfCode(type, area) ||
        tableStyles_.back().elements.size() >= size_t(TableArea::Count))
        return;
    tableStyles_.back().elements.push_back(
        TableStyleElement{area, dxf <= INT32_MAX ? int32_t(dxf) : -1, std::clamp<uint32_t>(size, 1, 1u << 20)});
}

bool StylesReader::OnRecord(const Record& r) {
    Payload in(r.data);
    switch (r.type) {
    case rt::Fmt: {
        const uint16_t id = in.U16();
        std::string code = in.WideString();
        if (in.Ok()) numFmts_.emplace_back(id, std::move(code));
        break;
    }
    case rt::Font: AddFont(in); break;
    case rt::Fill: AddFill(in); break;
    case rt::Border: AddBorder(in); break;
    case rt::BeginCellStyleXFs: section_ = Section::StyleXfs; break;
    case rt::BeginCellXFs: section_ = Section::CellXfs; break;
    case rt::BeginIndexedColors: section_ = Section::Indexed; break;
    case rt::BeginTableStyles: {
        in.U32();  // the count of the workbook's own styles
        std::string name = in.NullableWideString();
        if (in.Ok()) defaultTableStyle_ = std::move(name);
        break;
    }
    case rt::BeginTableStyle: BeginTableStyle(in); break;
    case rt::TableStyleElement: AddTableStyleElement(in); break;
    case rt::EndTableStyle: inTableStyle_ = false; break;
    case rt::EndCellStyleXFs:
    case rt::EndCellXFs:
    case rt::EndIndexedColors: section_ = Section::None; break;
    case rt::XF:
        if (section_ == Section::StyleXfs || section_ == Section::CellXfs) AddXf(in);
        break;
    case rt::DXF: diffs_.push_back(ReadDiffSpec(in)); break;
    case rt::IndexedColor:
        if (section_ == Section::Indexed && r.data.size() >= 3)
            indexed_.push_back(uint32_t(uint8_t(r.data[0])) << 16 | uint32_t(uint8_t(r.data[1])) << 8 |
                               uint8_t(r.data[2]));
        break;
    default: break;
    }
    return true;
}

void StylesReader::Resolve(xlsx::ColorResolver& colors, Styles& out) const {
    if (!indexed_.empty()) colors.SetIndexed(indexed_);

    Styles st;
    st.fonts.clear();
    for (size_t i = 0; i < fonts_.size(); ++i)
        st.fonts.push_back(xlsx::ResolveFont(fonts_[i], colors, i == 0 ? Font{} : st.fonts[0]));
    if (st.fonts.empty()) st.fonts.push_back(Font{});

    st.fills.clear();
    for (const FillSpec& f : fills_)
        st.fills.push_back(Fill{f.pattern, colors.Resolve(f.fg), colors.Resolve(f.bg), f.hatch});
    if (st.fills.empty()) st.fills.push_back(Fill{});

    st.borders.clear();
    for (const BorderSpec& b : borders_) {
        auto side = [&](int i) { return BorderSide{b.style[i], colors.Resolve(b.color[i])}; };
        st.borders.push_back(Border{side(0), side(1), side(2), side(3)});
    }
    if (st.borders.empty()) st.borders.push_back(Border{});

    std::unordered_map<uint32_t, const std::string*> custom;
    for (const auto& [id, text] : numFmts_) custom[id] = &text;  // a later definition of an id replaces an earlier one
    auto code = [&](uint32_t id) -> std::string {
        auto it = custom.find(id);
        return it != custom.end() ? *it->second : std::string(BuiltinFormatCode(id));
    };
    auto index = [](uint32_t id, size_t count) -> uint32_t { return id < count ? id : 0; };

    st.formats.clear();
    for (const XfSpec& x : cellXfs_) {
        const XfSpec* parent = x.parent < styleXfs_.size() ? &styleXfs_[x.parent] : nullptr;
        CellFormat cf;
        cf.numFmt = code(x.numFmt);
        cf.font = index(x.font, st.fonts.size());
        cf.fill = index(x.fill, st.fills.size());
        cf.border = index(x.border, st.borders.size());
        // A cell format states its alignment only where it differs from the
        // default; otherwise the cell style's applies.
        cf.align = x.align != Alignment{} || !parent ? x.align : parent->align;
        st.formats.push_back(std::move(cf));
    }
    if (st.formats.empty()) st.formats.push_back(CellFormat{});
    for (const DiffSpec& d : diffs_) st.diffs.push_back(ResolveDiff(d, colors));
    st.defaultTableStyle = defaultTableStyle_;
    st.tableStyles = tableStyles_;
    out = std::move(st);
}

}  // namespace sheets::xlsb
