#include "sheets/xlsx/XmlTree.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sheets/Errors.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/ValueText.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

namespace {

// A document type is skipped unread; no entity is expanded.
constexpr unsigned kOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

// LocalName(qualified) == local, for a local name without a colon, and
// without measuring the name first: lookups ask this of every attribute,
// and most attributes have no prefix.
bool HasLocalName(const char* qualified, std::string_view local) {
    size_t i = 0;
    while (i < local.size() && qualified[i] == local[i]) ++i;
    if (i == local.size() && qualified[i] == '\0') return true;
    const char* colon = std::strrchr(qualified, ':');
    return colon && std::string_view(colon + 1) == local;
}

pugi::xml_node NodeOf(const XmlTree::Node& n) {
    return pugi::xml_node(static_cast<pugi::xml_node_struct*>(const_cast<void*>(n.element)));
}

}  // namespace

XmlTree::XmlTree() = default;
XmlTree::~XmlTree() = default;

void XmlTree::Read(const Package& pkg, const std::string& part) {
    buffer_.clear();
    truncated = false;
    pkg.Zip().Stream(part, [&](const char* p, size_t n) {
        if (buffer_.size() + n > kMaxBytes) {
            truncated = true;
            return false;
        }
        buffer_.append(p, n);
        return true;
    });
    if (truncated) throw Error(ErrorKind::Damaged, "The workbook is damaged (" + part + " is too large)");
    // Parsed where it lies: the tree's names and texts point into it.
    Parse(buffer_.data(), buffer_.size(), part, true);
}

void XmlTree::ReadXml(std::string_view xml, const std::string& name) {
    if (xml.size() > kMaxBytes) throw Error(ErrorKind::Damaged, "The workbook is damaged (" + name + " is too large)");
    Parse(xml.data(), xml.size(), name, false);
}

void XmlTree::Parse(const char* data, size_t size, const std::string& name, bool inPlace) {
    nodes_.clear();
    truncated = false;
    doc_ = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result r =
        inPlace ? doc_->load_buffer_inplace(const_cast<char*>(data), size, kOptions, pugi::encoding_auto)
                : doc_->load_buffer(data, size, kOptions, pugi::encoding_auto);
    if (!r) throw Error(ErrorKind::Damaged, "The workbook is damaged (" + name + ": " + r.description() + ")");
    Build(size);
}

void XmlTree::Build(size_t bytes) {
    // An element takes a dozen bytes or more of a chart part.
    nodes_.reserve(std::min(bytes / 12 + 16, kMaxNodes));
    nodes_.push_back(Node{{}, doc_->internal_object(), 0, 0, 0});
    // Depth first without recursion: nesting depth is the document's to
    // choose. No pugixml accessor is inlined (the library is compiled
    // apart), so every node is asked for its neighbours once.
    std::vector<uint32_t> lastOfOpen;  // the last child added, for each open ancestor
    uint32_t parent = 0, last = 0;
    pugi::xml_node n = doc_->first_child();
    while (n) {
        // Elements are the only nodes with a name: the parse keeps no
        // comments, declarations or processing instructions.
        const char* name = n.name();
        if (*name) {
            if (nodes_.size() >= kMaxNodes) {
                truncated = true;
                return;
            }
            const uint32_t id = uint32_t(nodes_.size());
            nodes_.push_back(Node{LocalName(name), n.internal_object(), parent, 0, 0});
            if (last) nodes_[last].next = id;
            else nodes_[parent].firstChild = id;
            last = id;
            if (const pugi::xml_node down = n.first_child()) {
                lastOfOpen.push_back(last);
                parent = id;
                last = 0;
                n = down;
                continue;
            }
        }
        pugi::xml_node next = n.next_sibling();
        while (!next) {
            n = n.parent();
            if (!n || n == *doc_) return;
            parent = nodes_[parent].parent;
            last = lastOfOpen.back();
            lastOfOpen.pop_back();
            next = n.next_sibling();
        }
        n = next;
    }
}

std::string XmlTree::Text(uint32_t n) const {
    if (!n || n >= nodes_.size() || nodes_[n].firstChild) return {};
    const pugi::xml_node e = NodeOf(nodes_[n]);
    const pugi::xml_node first = e.first_child();
    // Most texts are one piece; only CDATA beside text makes more.
    if (!first.next_sibling()) return first.value();
    std::string s;
    for (const pugi::xml_node c : e.children())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) s += c.value();
    return s;
}

std::string_view XmlTree::TextView(uint32_t n, std::string& scratch) const {
    if (!n || n >= nodes_.size() || nodes_[n].firstChild) return {};
    const pugi::xml_node first = NodeOf(nodes_[n]).first_child();
    if (!first.next_sibling()) return first.value();
    scratch = Text(n);
    return scratch;
}

uint32_t XmlTree::Child(uint32_t n, std::string_view name) const {
    if (!n || n >= nodes_.size()) return 0;
    // Most siblings differ in length or first letter: that is tested before
    // the names are compared in full.
    for (uint32_t c = nodes_[n].firstChild; c; c = nodes_[c].next) {
        const std::string_view cn = nodes_[c].name;
        if (cn.size() == name.size() && (cn.empty() || cn[0] == name[0]) && cn == name) return c;
    }
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
    if (!n || n >= nodes_.size()) return nullptr;
    for (pugi::xml_attribute a = NodeOf(nodes_[n]).first_attribute(); a; a = a.next_attribute())
        if (HasLocalName(a.name(), name)) return a.value();
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
