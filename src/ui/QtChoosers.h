#pragma once
#include <QString>
#include <QStringList>
#include <string>

#include "platform/Choosers.h"

class QWidget;

namespace ui {

// The file and folder choosers as Qt file dialogs.
class TkvQtChoosers : public platform::IChoosers {
public:
    void BrowseFolder(std::string& path) override;
    bool ChooseFiles(const std::string& filter, std::string& path, bool multi) override;
    bool ChooseSaveFile(const std::string& filter, const std::string& defaultExt, std::string& path) override;
};

// "Desc|*.a;*.b|Other|*.c" as Qt name filters ("Desc (*.a *.b)", "Other (*.c)").
QStringList QtNameFilters(const std::string& filter);
// The window the dialogs belong to.
QWidget* DialogOwner();

}  // namespace ui
