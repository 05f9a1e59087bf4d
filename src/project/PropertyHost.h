#pragma once
#include <string>
#include <vector>

namespace project {

// A window control's published properties, as the project's bound controls
// need them. The Qt windows implement it over the meta-object system; tests
// use a fake. Property names are looked up ignoring case.
class IPropertyHost {
public:
    virtual ~IPropertyHost() = default;
    virtual std::string Name() const = 0;  // e.g. "eSource"
    virtual std::string Hint() const = 0;  // the bound property, e.g. "Text"
    enum class Kind { Missing, Text, Integer, Enum };
    virtual Kind PropertyKind(const std::string& name) const = 0;
    // For Enum properties: the identifiers of the type, e.g. {"False","True"}.
    virtual std::vector<std::string> EnumNames(const std::string& name) const = 0;
    virtual std::string Read(const std::string& name) const = 0;  // text form
    virtual void Write(const std::string& name, const std::string& value) = 0;
    virtual int Tag() const = 0;
    virtual void SetTag(int tag) = 0;
};

}  // namespace project
