#pragma once
#include <string>

namespace project {

class IPropertyHost;

// Reads and writes one published property of a bound control as text.
// Never throws: a missing property or a value the property cannot take ends
// quietly (an empty text on reading, no change on writing).
class TkvPropList {
public:
    explicit TkvPropList(IPropertyHost* instance) : Instance(instance) {}

    std::string GetProp(const std::string& name) const;
    void SetProp(const std::string& name, const std::string& value);

    IPropertyHost* const Instance;  // not owned
};

}  // namespace project
