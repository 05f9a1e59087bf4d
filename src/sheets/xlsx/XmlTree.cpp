#include "sheets/xlsx/XmlTree.h"

#include <cmath>

#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

class TreeBuilder final : public SaxHandler {
public:
    explicit TreeBuilder(XmlTree& t) : t_(t) {
        t_.nodes_.clear();
        t_.nodes_.emplace_back();
        t_.truncated = false;
        wantText = true;
    }

    void Start(std::string_view name, Attrs a) override {
        if (t_.nodes_.size() >= XmlTree::kMaxNodes) {
            t_.truncated = true;
            finished = true;
            wantText = false;
            return;
        }
        const uint32_t id = uint32_t(t_.nodes_.size());
        XmlTree::Node& n = t_.nodes_.emplace_back();
        n.name = std::string(name);
        for (size_t i = 0; a && a[i] && a[i + 1]; i += 2) n.attrs.emplace_back(LocalName(a[i]), a[i + 1]);
        n.parent = cur_;
        XmlTree::Node& p = t_.nodes_[cur_];
        if (last_.size() <= cur_) last_.resize(cur_ + 1, 0);
        if (last_[cur_]) t_.nodes_[last_[cur_]].next = id;
        else p.firstChild = id;
        last_[cur_] = id;
        cur_ = id;
    }
    void End(std::string_view) override {
        if (finished) return;
        cur_ = t_.nodes_[cur_].parent;
    }
    void Text(std::string_view text) override {
        if (finished || cur_ == 0) return;
        // Whitespace between elements is no one's text.
        if (t_.nodes_[cur_].firstChild) return;
        if (textBytes_ + text.size() > XmlTree::kMaxTextBytes) {
            t_.truncated = true;
            finished = true;
            wantText = false;
            return;
        }
        textBytes_ += text.size();
        t_.nodes_[cur_].text.append(text);
    }

private:
    XmlTree& t_;
    uint32_t cur_ = 0;
    std::vector<uint32_t> last_;  // the last child added to each node
    size_t textBytes_ = 0;
};

void XmlTree::Read(const Package& pkg, const std::string& part) {
    TreeBuilder b(*this);
    pkg.Parse(part, b);
}

void XmlTree::ReadXml(std::string_view xml, const std::string& name) {
    TreeBuilder b(*this);
    ParseXml(xml, b, name);
}

uint32_t XmlTree::Child(uint32_t n, std::string_view name) const {
    if (!n) return 0;
    for (uint32_t c = nodes_[n].firstChild; c; c = nodes_[c].next)
        if (nodes_[c].name == name) return c;
    return 0;
}

uint32_t XmlTree::Path(uint32_t n, std::string_view path) const {
    while (n && !path.empty()) {
        const size_t slash = path.find('/');
        n = Child(n, path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return n;
}

const char* XmlTree::AttrOf(uint32_t n, std::string_view name) const {
    if (!n) return nullptr;
    for (const auto& [k, v] : nodes_[n].attrs)
        if (k == name) return v.c_str();
    return nullptr;
}

const char* XmlTree::Val(uint32_t n, std::string_view name) const { return AttrOf(Child(n, name), "val"); }

bool XmlTree::ValBool(uint32_t n, std::string_view name, bool def) const {
    const uint32_t c = Child(n, name);
    if (!c) return def;
    const char* v = AttrOf(c, "val");
    // An element without its value means "true" in chart parts.
    if (!v) return true;
    std::string_view s(v);
    return s == "1" || s == "true" || s == "on";
}

double XmlTree::ValDouble(uint32_t n, std::string_view name, double def) const {
    const char* v = Val(n, name);
    double d;
    return v && ParseDouble(v, d) && std::isfinite(d) ? d : def;
}

int64_t XmlTree::ValInt(uint32_t n, std::string_view name, int64_t def) const {
    const char* v = Val(n, name);
    int64_t i;
    return v && ParseInt(v, i) ? i : def;
}

}  // namespace sheets::xlsx
