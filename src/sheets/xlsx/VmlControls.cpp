#include "sheets/xlsx/VmlControls.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "sheets/Errors.h"
#include "sheets/xlsx/ValueText.h"
#include "sheets/xlsx/XmlTree.h"

namespace sheets::xlsx {

namespace {

constexpr int64_t kEmuPerPx = 9525;

ControlKind KindOf(std::string_view type) {
    static constexpr std::pair<std::string_view, ControlKind> kKinds[] = {
        {"Button", ControlKind::Button}, {"Checkbox", ControlKind::CheckBox}, {"Radio", ControlKind::OptionButton},
        {"Drop", ControlKind::DropDown}, {"List", ControlKind::ListBox},      {"GBox", ControlKind::GroupBox},
        {"Label", ControlKind::Label},   {"Spin", ControlKind::Spinner},      {"Scroll", ControlKind::ScrollBar},
        {"Edit", ControlKind::EditBox}};
    for (const auto& [name, kind] : kKinds)
        if (type == name) return kind;
    return ControlKind::None;
}

// "LeftColumn, LeftOffset, TopRow, TopOffset, RightColumn, ..." with offsets in pixels.
bool ReadAnchor(std::string_view text, Shape& s) {
    int64_t v[8] = {};
    size_t at = 0;
    for (int i = 0; i < 8; ++i) {
        while (at < text.size() &&
               (text[at] == ' ' || text[at] == ',' || text[at] == '\n' || text[at] == '\r' || text[at] == '\t'))
            ++at;
        size_t end = at;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        if (end == at || end - at > 9 || !ParseInt(text.substr(at, end - at), v[i])) return false;
        at = end;
    }
    s.from.col = uint32_t(std::min<int64_t>(v[0], 16383));
    s.from.colOffset = std::min<int64_t>(v[1], 1 << 20) * kEmuPerPx;
    s.from.row = uint32_t(std::min<int64_t>(v[2], 1048575));
    s.from.rowOffset = std::min<int64_t>(v[3], 1 << 20) * kEmuPerPx;
    s.to.col = uint32_t(std::min<int64_t>(v[4], 16383));
    s.to.colOffset = std::min<int64_t>(v[5], 1 << 20) * kEmuPerPx;
    s.to.row = uint32_t(std::min<int64_t>(v[6], 1048575));
    s.to.rowOffset = std::min<int64_t>(v[7], 1 << 20) * kEmuPerPx;
    return true;
}

// "_x0000_s1025" -> 1025; 0 when the id does not end in a number.
uint32_t ShapeId(const char* id) {
    if (!id) return 0;
    const std::string_view s(id);
    size_t at = s.size();
    while (at > 0 && s[at - 1] >= '0' && s[at - 1] <= '9') --at;
    int64_t v = 0;
    return at < s.size() && s.size() - at <= 9 && ParseInt(s.substr(at), v) ? uint32_t(v) : 0;
}

// A control's properties part: the list's range, its linked cell and the selected item.
void ReadProps(const Package& pkg, const std::string& part, Shape& s) {
    XmlTree t;
    try {
        t.Read(pkg, part);
    } catch (const Error&) {
        return;  // the drawing's own values stand
    }
    const uint32_t pr = t.Root();
    if (!t.Is(pr, "formControlPr")) return;
    if (const char* range = t.AttrOf(pr, "fmlaRange")) s.listRange = range;
    if (const char* link = t.AttrOf(pr, "fmlaLink")) s.linkCell = link;
    int64_t sel = 0;
    if (const char* v = t.AttrOf(pr, "sel"); v && ParseInt(v, sel))
        s.selected = sel > 0 && sel <= int64_t(kControlMaxItems) ? uint32_t(sel) : 0;
}

class ControlReader {
public:
    ControlReader(const Package& pkg, const XmlTree& t, std::vector<std::shared_ptr<const Shape>>& out,
                  const ControlProps& props)
        : pkg_(pkg), t_(t), out_(out), props_(props) {}

    // Walks the tree without recursion: a part can nest as deep as it likes.
    void Run() {
        std::vector<uint32_t> stack{t_.Root()};
        while (!stack.empty() && out_.size() < kShapeMaxPerSheet) {
            const uint32_t n = stack.back();
            stack.pop_back();
            if (t_.Is(n, "shape")) {
                Control(n);
                continue;
            }
            // Children pushed last to first, so that controls come in document order.
            const size_t mark = stack.size();
            for (uint32_t c = t_.First(n); c; c = t_.Next(c)) stack.push_back(c);
            std::reverse(stack.begin() + std::ptrdiff_t(mark), stack.end());
        }
    }

private:
    void Control(uint32_t shape) {
        const uint32_t data = t_.Child(shape, "ClientData");
        const char* type = t_.AttrOf(data, "ObjectType");
        if (!type) return;
        Shape s;
        s.control = KindOf(type);
        if (s.control == ControlKind::None) return;
        if (!ReadAnchor(t_.Text(t_.Child(data, "Anchor")), s)) return;
        const char* style = t_.AttrOf(shape, "style");
        if (style && std::strstr(style, "visibility:hidden")) return;
        s.checked = t_.Text(t_.Child(data, "Checked")) == "1";
        s.listRange = t_.Text(t_.Child(data, "FmlaRange"));
        s.linkCell = t_.Text(t_.Child(data, "FmlaLink"));
        int64_t sel = 0;
        if (ParseInt(t_.Text(t_.Child(data, "Sel")), sel) && sel > 0 && sel <= int64_t(kControlMaxItems))
            s.selected = uint32_t(sel);
        if (s.control == ControlKind::DropDown || s.control == ControlKind::ListBox) {
            const char* id = t_.AttrOf(shape, "spid");
            const auto it = props_.find(ShapeId(id ? id : t_.AttrOf(shape, "id")));
            if (it != props_.end() && pkg_.Has(it->second)) ReadProps(pkg_, it->second, s);
        }
        Caption(t_.Child(shape, "textbox"), s);
        const std::string h = t_.Text(t_.Child(data, "TextHAlign")), v = t_.Text(t_.Child(data, "TextVAlign"));
        for (auto& p : s.text) p.align = h == "Center" ? HAlign::Center : h == "Right" ? HAlign::Right : p.align;
        s.anchor = v == "Center" ? VAlign::Center : v == "Bottom" ? VAlign::Bottom : VAlign::Top;
        s.inset[0] = s.inset[2] = 2 * kEmuPerPx;
        s.inset[1] = s.inset[3] = kEmuPerPx;
        DressControl(s);
        out_.push_back(std::make_shared<const Shape>(std::move(s)));
    }

    // The text box's lines: each leaf element's text, a line per div.
    void Caption(uint32_t box, Shape& s) const {
        if (!box) return;
        size_t bytes = 0;
        std::vector<std::pair<uint32_t, uint32_t>> leaves;  // (div, leaf)
        // Depth first, in document order.
        std::vector<std::pair<uint32_t, uint32_t>> work{{box, 0}};
        while (!work.empty()) {
            auto [n, div] = work.back();
            work.pop_back();
            if (t_.Is(n, "div")) div = n;
            if (!t_.First(n)) {
                leaves.emplace_back(div, n);
                continue;
            }
            std::vector<uint32_t> kids;
            for (uint32_t c = t_.First(n); c; c = t_.Next(c)) kids.push_back(c);
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) work.emplace_back(*it, div);
        }
        uint32_t lastDiv = ~0u;
        for (const auto& [div, leaf] : leaves) {
            std::string text = t_.Is(leaf, "br") ? std::string("\n") : t_.Text(leaf);
            if (text.empty() || bytes + text.size() > kShapeMaxTextBytes) continue;
            bytes += text.size();
            if (div != lastDiv || s.text.empty()) {
                s.text.emplace_back();
                lastDiv = div;
            }
            ShapeRun r;
            r.text = std::move(text);
            if (t_.Is(leaf, "font")) {
                if (const char* face = t_.AttrOf(leaf, "face")) r.face = face;
                double size = 0;
                if (const char* sz = t_.AttrOf(leaf, "size"); sz && ParseDouble(sz, size) && size >= 20 && size <= 8000)
                    r.font.size = size / 20;
                if (const char* c = t_.AttrOf(leaf, "color"); c && c[0] == '#' && std::strlen(c) == 7)
                    r.font.color = Color::Rgb(uint32_t(std::strtoul(c + 1, nullptr, 16)));
            }
            s.text.back().runs.push_back(std::move(r));
        }
    }

    const Package& pkg_;
    const XmlTree& t_;
    std::vector<std::shared_ptr<const Shape>>& out_;
    const ControlProps& props_;
};

}  // namespace

void ReadVmlControls(const Package& pkg, const std::string& part, std::vector<std::shared_ptr<const Shape>>& out,
                     const ControlProps& props) {
    XmlTree tree;
    try {
        tree.Read(pkg, part);
    } catch (const Error&) {
        return;  // older parts are not always XML; their controls are left out
    }
    ControlReader(pkg, tree, out, props).Run();
}

}  // namespace sheets::xlsx
