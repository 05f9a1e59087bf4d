#include "ui/QtPropertyHost.h"

#include <QMetaProperty>

#include "platform/Text.h"

namespace ui {

TkvQtPropertyHost::TkvQtPropertyHost(QWidget* control, std::string hint) : control_(control), hint_(std::move(hint)) {}

std::string TkvQtPropertyHost::Name() const { return control_ ? control_->objectName().toStdString() : std::string(); }

int TkvQtPropertyHost::FindProperty(const std::string& name) const {
    if (!control_ || name.empty()) return -1;
    const QMetaObject* mo = control_->metaObject();
    for (int i = mo->propertyCount() - 1; i >= 0; --i) {
        QMetaProperty p = mo->property(i);
        if (platform::SameText(p.name(), name)) return i;
    }
    return -1;
}

project::IPropertyHost::Kind TkvQtPropertyHost::PropertyKind(const std::string& name) const {
    int i = FindProperty(name);
    if (i < 0) return Kind::Missing;
    QMetaProperty p = control_->metaObject()->property(i);
    switch (p.metaType().id()) {
    case QMetaType::Bool: return Kind::Enum;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return p.isEnumType() ? Kind::Enum : Kind::Integer;
    case QMetaType::QString: return Kind::Text;
    default: return p.isEnumType() ? Kind::Enum : Kind::Missing;
    }
}

std::vector<std::string> TkvQtPropertyHost::EnumNames(const std::string& name) const {
    int i = FindProperty(name);
    if (i < 0) return {};
    QMetaProperty p = control_->metaObject()->property(i);
    if (p.metaType().id() == QMetaType::Bool) return {"False", "True"};
    std::vector<std::string> names;
    if (p.isEnumType()) {
        QMetaEnum e = p.enumerator();
        for (int k = 0; k < e.keyCount(); ++k) names.emplace_back(e.key(k));
    }
    return names;
}

std::string TkvQtPropertyHost::Read(const std::string& name) const {
    int i = FindProperty(name);
    if (i < 0) return {};
    QMetaProperty p = control_->metaObject()->property(i);
    QVariant v = p.read(control_);
    if (p.metaType().id() == QMetaType::Bool) return v.toBool() ? "True" : "False";
    if (p.isEnumType()) {
        const char* key = p.enumerator().valueToKey(v.toInt());
        return key ? key : std::to_string(v.toInt());
    }
    return v.toString().toStdString();
}

void TkvQtPropertyHost::Write(const std::string& name, const std::string& value) {
    int i = FindProperty(name);
    if (i < 0) return;
    QMetaProperty p = control_->metaObject()->property(i);
    if (p.metaType().id() == QMetaType::Bool) {
        // Only the two words (or nothing) fit a check box; anything else
        // leaves it as it is.
        if (value.empty() || platform::SameText(value, "False")) p.write(control_, false);
        else if (platform::SameText(value, "True")) p.write(control_, true);
        return;
    }
    if (p.isEnumType()) {
        QMetaEnum e = p.enumerator();
        for (int k = 0; k < e.keyCount(); ++k)
            if (platform::SameText(e.key(k), value)) {
                p.write(control_, e.value(k));
                return;
            }
        return;
    }
    switch (p.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        qlonglong n = QString::fromStdString(value).trimmed().toLongLong(&ok);
        if (ok || value.empty()) p.write(control_, ok ? n : 0);
        return;
    }
    default: p.write(control_, QString::fromStdString(value));
    }
}

}  // namespace ui
