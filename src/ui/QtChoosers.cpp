#include "ui/QtChoosers.h"

#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>

#include "platform/Text.h"

namespace ui {

QWidget* DialogOwner() {
    if (QWidget* w = QApplication::activeWindow()) return w;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) return w;
    return nullptr;
}

QStringList QtNameFilters(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt shows the description with the patterns in parentheses and takes
        // the patterns from them; a description that already lists patterns
        // in parentheses loses that list, so the label shows them once.
        QString label = parts[i].trimmed();
        static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\*[^()]*\\)$"));
        label.remove(shownPatterns);
        out << label + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    if (out.isEmpty()) out << QStringLiteral("All files (*)");
    return out;
}

void TkvQtChoosers::BrowseFolder(std::string& path) {
    QString chosen = QFileDialog::getExistingDirectory(DialogOwner(), QString(), QString::fromStdString(path),
                                                       QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty()) path = chosen.toStdString();
}

bool TkvQtChoosers::ChooseFiles(const std::string& filter, std::string& path, bool multi) {
    QFileDialog dlg(DialogOwner());
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(multi ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    QStringList filters = QtNameFilters(filter);
    dlg.setNameFilters(filters);
    dlg.selectNameFilter(filters.first());
    if (!path.empty()) {
        QString initial = QString::fromStdString(platform::NamePart(path));
        initial.replace(QLatin1Char('?'), QLatin1Char('*'));
        std::string folder = platform::FolderPart(path);
        if (!folder.empty()) dlg.setDirectory(QString::fromStdString(folder));
        dlg.selectFile(initial);
    }
    if (dlg.exec() != QDialog::Accepted) return false;
    QStringList files = dlg.selectedFiles();
    if (files.isEmpty()) return false;
    if (!multi) {
        path = files.first().toStdString();
        return true;
    }
    std::string lines;
    for (const QString& f : files) lines += f.toStdString() + "\r\n";
    path = lines;
    return true;
}

bool TkvQtChoosers::ChooseSaveFile(const std::string& filter, const std::string& defaultExt, std::string& path) {
    QFileDialog dlg(DialogOwner());
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    QStringList filters = QtNameFilters(filter);
    dlg.setNameFilters(filters);
    dlg.selectNameFilter(filters.first());
    QString ext = QString::fromStdString(defaultExt);
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    dlg.setDefaultSuffix(ext);
    if (!path.empty()) {
        std::string folder = platform::FolderPart(path);
        if (!folder.empty()) dlg.setDirectory(QString::fromStdString(folder));
        dlg.selectFile(QString::fromStdString(platform::NamePart(path)));
    }
    if (dlg.exec() != QDialog::Accepted) return false;
    QStringList files = dlg.selectedFiles();
    if (files.isEmpty()) return false;
    path = files.first().toStdString();
    return true;
}

}  // namespace ui
