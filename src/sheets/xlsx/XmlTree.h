#pragma once
// A small element tree for parts that are read by looking around (a chart
// part refers back and forth between its axes and groups). Bounded: past
// `kMaxNodes` elements the rest of the document is left unread and
// `truncated` says so.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

class XmlTree {
public:
    static constexpr size_t kMaxNodes = 1u << 17;
    static constexpr size_t kMaxTextBytes = 8u << 20;

    struct Node {
        std::string name;  // local name
        std::vector<std::pair<std::string, std::string>> attrs;  // local names
        std::string text;  // the element's own character data
        uint32_t parent = 0, firstChild = 0, next = 0;  // 0: none (the root is never a child)
    };

    // Parses a part of the package (streamed when large).
    void Read(const class Package& pkg, const std::string& part);
    // Parses a document held in memory.
    void ReadXml(std::string_view xml, const std::string& name);

    bool Empty() const { return nodes_.size() <= 1; }
    bool truncated = false;

    // Node 0 stands for the document; its first child is the root element.
    const Node& At(uint32_t n) const { return nodes_[n]; }
    uint32_t Root() const { return nodes_.empty() ? 0 : nodes_[0].firstChild; }
    // The first child named `name`, or 0.
    uint32_t Child(uint32_t n, std::string_view name) const;
    // Follows a path of child names ("a/b/c"), or 0.
    uint32_t Path(uint32_t n, std::string_view path) const;
    const char* AttrOf(uint32_t n, std::string_view name) const;
    // The `val` attribute of the child `name` (the common chart idiom).
    const char* Val(uint32_t n, std::string_view name) const;
    bool ValBool(uint32_t n, std::string_view name, bool def) const;
    double ValDouble(uint32_t n, std::string_view name, double def) const;
    int64_t ValInt(uint32_t n, std::string_view name, int64_t def) const;

    // Children in order: for (uint32_t c = tree.First(n); c; c = tree.Next(c)).
    uint32_t First(uint32_t n) const { return n < nodes_.size() ? nodes_[n].firstChild : 0; }
    uint32_t Next(uint32_t n) const { return n < nodes_.size() ? nodes_[n].next : 0; }
    bool Is(uint32_t n, std::string_view name) const { return n && nodes_[n].name == name; }

private:
    friend class TreeBuilder;
    std::vector<Node> nodes_;
};

}  // namespace sheets::xlsx
