#pragma once
// What comes before a document's first element. Some producers write a
// harmless document type there; it is dropped before the streaming parser
// sees it, so that no entity is ever declared, let alone expanded.
#include <cstddef>
#include <string>
#include <string_view>

namespace sheets::xlsx {

struct Prolog {
    enum class Status : unsigned char {
        Complete,  // `size` bytes precede the first element
        Incomplete,  // the first element is not in sight yet
        Unreadable,  // not a prolog we can take apart: parse as it is
    };
    Status status = Status::Unreadable;
    size_t size = 0;
    // Those bytes with the XML declaration and the document type replaced
    // by the line breaks they held (lines are counted alike); with the
    // declaration goes its standalone flag, which would make a reference to
    // an undeclared entity an error rather than text.
    std::string text;
};

Prolog ReadProlog(std::string_view head);

}  // namespace sheets::xlsx
