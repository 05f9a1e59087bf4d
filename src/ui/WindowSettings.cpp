#include "ui/WindowSettings.h"

#include <QHeaderView>
#include <QSettings>
#include <QWidget>

#include "platform/Files.h"

namespace ui {

QString WindowSettingsFile() {
    return QString::fromStdString(platform::ConfigFolder()) + QStringLiteral("window.conf");
}

void SaveWindowLook(const QString& key, const QWidget* window, const QHeaderView* header) {
    QSettings s(WindowSettingsFile(), QSettings::IniFormat);
    s.beginGroup(key);
    s.setValue(QStringLiteral("geometry"), window->saveGeometry());
    if (header) {
        QList<QVariant> widths;
        for (int i = 0; i < header->count(); ++i) widths << header->sectionSize(i);
        s.setValue(QStringLiteral("columns"), widths);
    }
    s.endGroup();
    s.sync();
}

bool RestoreWindowLook(const QString& key, QWidget* window, QHeaderView* header) {
    QSettings s(WindowSettingsFile(), QSettings::IniFormat);
    s.beginGroup(key);
    const QByteArray geometry = s.value(QStringLiteral("geometry")).toByteArray();
    const QList<QVariant> widths = s.value(QStringLiteral("columns")).toList();
    s.endGroup();
    if (header) {
        // The last column stretches to the window; the others keep their width.
        for (int i = 0; i < widths.size() && i < header->count() - 1; ++i) {
            const int w = widths[i].toInt();
            if (header->sectionResizeMode(i) == QHeaderView::Interactive && w >= header->minimumSectionSize())
                header->resizeSection(i, w);
        }
    }
    return !geometry.isEmpty() && window->restoreGeometry(geometry);
}

}  // namespace ui
