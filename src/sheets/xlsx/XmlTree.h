#pragma once
// A small element tree for parts that are read by looking around (a chart
// part refers back and forth between its axes and groups). Bounded: parts
// larger than `kMaxBytes` are not parsed, and past `kMaxNodes` elements the
// rest of the document is left out; `truncated` says so. Documents with a
// DTD are refused; entities are never expanded.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
}

namespace sheets::xlsx {

class Package;

class XmlTree {
public:
    static constexpr size_t kMaxNodes = 1u << 17;
    static constexpr size_t kMaxBytes = 4u << 20;

    XmlTree();
    ~XmlTree();

    // Parses a part of the package; throws sheets::Error when it cannot.
    void Read(const Package& pkg, const std::string& part);
    // Parses a document held in memory.
    void ReadXml(std::string_view xml, const std::string& name);

    bool truncated = false;

    struct Node {
        std::string_view name;  // local name
        const void* element = nullptr;  // the parser's node
        uint32_t parent = 0, firstChild = 0, next = 0;  // 0: none (the root is never a child)
    };

    // Node 0 stands for the document; its first child is the root element.
    const Node& At(uint32_t n) const {
        static const Node kNone;
        return n < nodes_.size() ? nodes_[n] : kNone;
    }
    uint32_t Root() const { return nodes_.empty() ? 0 : nodes_[0].firstChild; }
    // The element's own text (empty when it has child elements or none).
    std::string Text(uint32_t n) const;
    // The same text without a copy where it is one piece; otherwise joined
    // in `scratch`, which the view then refers to.
    std::string_view TextView(uint32_t n, std::string& scratch) const;
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
    bool Is(uint32_t n, std::string_view name) const { return n && n < nodes_.size() && nodes_[n].name == name; }

private:
    void Parse(const char* data, size_t size, const std::string& name, bool inPlace);
    void Build(size_t bytes);
    std::string buffer_;  // a part read from the package, parsed in place
    std::unique_ptr<pugi::xml_document> doc_;
    std::vector<Node> nodes_;
};

}  // namespace sheets::xlsx
