#pragma once
#include <QString>

class QHeaderView;
class QWidget;

namespace ui {

// Qt's settings file of the windows' own look (size, place, column widths),
// in the user's configuration folder: $XDG_CONFIG_HOME/quindle/window.conf.
QString WindowSettingsFile();

// Keeps a window's geometry, and the widths of `header`'s columns when given,
// under `key`.
void SaveWindowLook(const QString& key, const QWidget* window, const QHeaderView* header = nullptr);
// Puts them back; false when nothing was kept, so the window keeps its
// defaults. A kept place that no screen shows any more is left aside.
bool RestoreWindowLook(const QString& key, QWidget* window, QHeaderView* header = nullptr);

}  // namespace ui
