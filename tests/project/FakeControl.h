#pragma once
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "project/PropertyHost.h"

// A window control with a Text and a Checked property, looked up ignoring
// case as the Qt controls do.
class FakeControl : public project::IPropertyHost {
public:
    FakeControl(std::string name, std::string hint) : name_(std::move(name)), hint_(std::move(hint)) {}

    std::string Name() const override { return name_; }
    std::string Hint() const override { return hint_; }
    Kind PropertyKind(const std::string& name) const override {
        if (platform::SameText(name, "Text")) return Kind::Text;
        if (platform::SameText(name, "Checked")) return Kind::Enum;
        if (platform::SameText(name, "Width")) return Kind::Integer;
        if (platform::SameText(name, "Broken")) throw std::runtime_error("cannot read");
        return Kind::Missing;
    }
    std::vector<std::string> EnumNames(const std::string&) const override { return {"False", "True"}; }
    std::string Read(const std::string& name) const override {
        if (platform::SameText(name, "Text")) return text;
        if (platform::SameText(name, "Checked")) return checked ? "True" : "False";
        return std::to_string(width);
    }
    void Write(const std::string& name, const std::string& value) override {
        ++writes;
        if (platform::SameText(name, "Text")) text = value;
        else if (platform::SameText(name, "Checked")) checked = value == "True";
        else width = std::stoi(value);
    }
    int Tag() const override { return tag; }
    void SetTag(int t) override { tag = t; }

    std::string text;
    bool checked = false;
    int width = 0;
    int tag = -1;
    int writes = 0;

private:
    std::string name_, hint_;
};
