#pragma once
#include <QPointer>
#include <QWidget>
#include <string>

#include "project/PropertyHost.h"

namespace ui {

// A window control seen through the project's property interface: the
// control's published Qt properties, looked up by name ignoring case. The
// bound property's name is kept apart from the tool-tip, so bound controls
// show no hint.
class TkvQtPropertyHost : public project::IPropertyHost {
public:
    TkvQtPropertyHost(QWidget* control, std::string hint);

    std::string Name() const override;
    std::string Hint() const override { return hint_; }
    Kind PropertyKind(const std::string& name) const override;
    std::vector<std::string> EnumNames(const std::string& name) const override;
    std::string Read(const std::string& name) const override;
    void Write(const std::string& name, const std::string& value) override;
    int Tag() const override { return tag_; }
    void SetTag(int tag) override { tag_ = tag; }

    QWidget* Control() const { return control_; }

private:
    int FindProperty(const std::string& name) const;  // -1 when missing

    QPointer<QWidget> control_;  // null once the window is gone
    std::string hint_;
    int tag_ = -1;  // -1: no accessor yet
};

}  // namespace ui
