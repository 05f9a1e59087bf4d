#include "sheets/xls/SheetDrawing.h"

#include <algorithm>
#include <memory>

#include "sheets/model/Shape.h"
#include "sheets/xls/OfficeArt.h"

namespace sheets::xls {

namespace {

uint16_t U16At(std::string_view d, size_t at) {
    return at + 2 <= d.size() ? uint16_t(uint8_t(d[at]) | uint8_t(d[at + 1]) << 8) : 0;
}

namespace obj {
constexpr uint16_t Line = 0x01, Oval = 0x03, Chart = 0x05, Button = 0x07, Picture = 0x08, CheckBox = 0x0B,
                   OptionButton = 0x0C, EditBox = 0x0D, Label = 0x0E, GroupBox = 0x13, ListBox = 0x12, Spinner = 0x10,
                   ScrollBar = 0x11, DropDown = 0x14, Note = 0x19;
}  // namespace obj

// The preset drawn for an OfficeArt shape type.
const char* Geometry(uint16_t type) {
    switch (type) {
    case 2: return "roundRect";
    case 3: return "ellipse";
    case 4: return "diamond";
    case 5: return "triangle";
    case 6: return "rtTriangle";
    case 7: return "parallelogram";
    case 8: return "trapezoid";
    case 9: return "hexagon";
    case 10: return "octagon";
    case 11: return "plus";
    case 12: return "star5";
    case 13: return "rightArrow";
    case 15: return "homePlate";
    case 20: return "line";
    case 32: return "straightConnector1";
    case 33:
    case 34: return "bentConnector3";
    case 37:
    case 38: return "curvedConnector3";
    case 55: return "chevron";
    case 56: return "pentagon";
    case 61: return "wedgeRectCallout";
    case 62: return "wedgeRoundRectCallout";
    case 63: return "wedgeEllipseCallout";
    case 66: return "leftArrow";
    case 67: return "downArrow";
    case 68: return "upArrow";
    case kFreeformType: return "path";
    default: return "rect";
    }
}

ControlKind Control(uint16_t kind) {
    switch (kind) {
    case obj::Button: return ControlKind::Button;
    case obj::CheckBox: return ControlKind::CheckBox;
    case obj::OptionButton: return ControlKind::OptionButton;
    case obj::DropDown: return ControlKind::DropDown;
    case obj::ListBox: return ControlKind::ListBox;
    case obj::GroupBox: return ControlKind::GroupBox;
    case obj::Label: return ControlKind::Label;
    case obj::Spinner: return ControlKind::Spinner;
    case obj::ScrollBar: return ControlKind::ScrollBar;
    case obj::EditBox: return ControlKind::EditBox;
    default: return ControlKind::None;
    }
}

Color Resolve(const Book& book, const ArtColor& c) {
    if (!c.set) return {};
    return c.indexed ? book.styles.PaletteColor(c.value) : Color::Rgb(c.value);
}

HAlign TextAlign(uint8_t a) {
    return a == 2 ? HAlign::Center : a == 3 ? HAlign::Right : a == 4 ? HAlign::Justify : HAlign::Left;
}

void AddPicture(Book& book, const ArtShape& a, Sheet& sheet) {
    if (a.blip == 0 || a.blip > book.blips.size()) return;
    const Blip& b = book.blips[a.blip - 1];
    if (b.data.empty() || b.data.size() > book.pictureBudget) return;
    book.pictureBudget -= b.data.size();
    Picture p;
    p.from = a.from;
    p.to = a.to;
    p.contentType = b.contentType;
    p.data = b.data;
    std::copy(std::begin(a.crop), std::end(a.crop), std::begin(p.crop));
    sheet.pictures.push_back(std::move(p));
}

// A list's own items and selection, and its range as a reference the
// workbook's cells are looked up by once every sheet is read.
void ListOf(const Book& book, const ListData& l, Shape& s) {
    s.items = l.items;
    s.selected = l.selected;
    if (!l.hasRange) return;
    std::string sheet;
    if (l.externSheet >= 0) {
        if (size_t(l.externSheet) >= book.externSheets.size()) return;
        const int32_t tab = book.externSheets[size_t(l.externSheet)];
        if (tab < 0 || size_t(tab) >= book.wb.sheets.size()) return;  // another workbook's cells
        sheet = book.wb.sheets[size_t(tab)].name;
        if (sheet.empty()) return;
    }
    s.listRange = AreaText(sheet, l.r1, l.c1, l.r2, l.c2);
}

void AddShape(const Book& book, const ArtShape& a, const SheetObject* o, const BoxText* t, Sheet& sheet) {
    Shape s;
    s.from = a.from;
    s.to = a.to;
    s.x = a.x;
    s.y = a.y;
    s.w = a.w;
    s.h = a.h;
    s.geometry = o && o->kind == obj::Oval ? "ellipse" : o && o->kind == obj::Line ? "line" : Geometry(a.type);
    if (s.geometry == "path") s.path = a.path;
    s.rotation = a.rotation;
    s.flipH = a.flipH;
    s.flipV = a.flipV;
    if (a.filled) {
        s.look.fill = ChartShape::Fill::Solid;
        s.look.color = Resolve(book, a.fill);
    } else {
        s.look.fill = ChartShape::Fill::None;
    }
    s.look.line.none = !a.lined;
    s.look.line.color = Resolve(book, a.line);
    s.look.line.width = a.lineWidthPt;
    s.headArrow = a.headArrow;
    s.tailArrow = a.tailArrow;
    std::copy(std::begin(a.inset), std::end(a.inset), std::begin(s.inset));
    if (t && !t->text.empty()) {
        ShapeParagraph para;
        para.align = TextAlign(t->hAlign);
        ShapeRun run;
        if (t->font > 0) {
            // Font records skip index 4; the model's fonts do not.
            const uint32_t f = t->font >= 4 ? t->font - 1u : t->font;
            if (f < book.wb.styles.fonts.size()) {
                const Font& font = book.wb.styles.fonts[f];
                run.face = font.name;
                run.font.size = font.size;
                run.font.bold = font.bold;
                run.font.italic = font.italic;
                run.font.color = font.color;
                run.underline = font.underline != Underline::None;
            }
        }
        // One paragraph per line, each aligned alike.
        size_t start = 0;
        const std::string& text = t->text;
        while (start <= text.size()) {
            size_t end = text.find_first_of("\r\n", start);
            if (end == std::string::npos) end = text.size();
            ShapeParagraph p = para;
            ShapeRun r = run;
            r.text = text.substr(start, end - start);
            p.runs.push_back(std::move(r));
            s.text.push_back(std::move(p));
            if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
            start = end + 1;
        }
        s.anchor = t->vAlign == 2 ? VAlign::Center : t->vAlign == 3 ? VAlign::Bottom : VAlign::Top;
    }
    if (o) {
        s.control = Control(o->kind);
        s.checked = o->checked;
        if (s.control != ControlKind::None) DressControl(s);
        if (s.control == ControlKind::DropDown || s.control == ControlKind::ListBox) ListOf(book, o->list, s);
    }
    sheet.shapes.push_back(std::make_shared<const Shape>(std::move(s)));
}

}  // namespace

SheetObject ReadObject(std::string_view d) {
    SheetObject o;
    // Subrecords: type, size, body; the first is the common one with the kind.
    size_t at = 0;
    for (int i = 0; i < 64 && at + 4 <= d.size(); ++i) {
        const uint16_t ft = U16At(d, at), cb = U16At(d, at + 2);
        if (ft == 0x15) {
            o.kind = U16At(d, at + 4);
            o.automatic = U16At(d, at + 8) & 0x100;
        }
        // The state is in the check box data; the older check box link
        // subrecord before it carries nothing that may be read.
        if (ft == 0x12) o.checked = U16At(d, at + 4) == 1;
        if (ft == 0x13 && (o.kind == obj::ListBox || o.kind == obj::DropDown)) {
            // The list's subrecord runs to the end of the record, whatever its size field says.
            ReadListData(d.substr(at + 4), o.kind == obj::DropDown, o.list);
            break;
        }
        if (ft == 0x00) break;
        at += 4 + cb;
    }
    return o;
}

void AddSheetDrawing(Book& book, std::string_view drawing, const std::vector<SheetObject>& objects,
                     const std::vector<BoxText>& texts, Sheet& sheet) {
    const std::vector<ArtShape> shapes = ReadSheetDrawing(drawing);
    size_t nextObject = 0, nextText = 0;
    for (const ArtShape& a : shapes) {
        const SheetObject* o = a.hasClientData && nextObject < objects.size() ? &objects[nextObject++] : nullptr;
        const BoxText* t = a.hasTextbox && nextText < texts.size() ? &texts[nextText++] : nullptr;
        if (a.type == 0) continue;
        const uint16_t kind = o ? o->kind : 0xFFFF;
        if (kind == obj::Note || kind == obj::Chart) continue;  // comments and charts are shown elsewhere
        if (o && o->automatic) continue;  // a filter's or a validation's drop-down arrow, not a drawing
        if (a.blip > 0 && (kind == obj::Picture || kind == 0xFFFF || a.type == 75)) {
            AddPicture(book, a, sheet);
            continue;
        }
        if (sheet.shapes.size() < kShapeMaxPerSheet) AddShape(book, a, o, t, sheet);
    }
}

}  // namespace sheets::xls
