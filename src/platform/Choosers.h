#pragma once
#include <string>

namespace platform {

// The file and folder choosers. The window implements them with dialogs; a
// build or run without a window has none installed and every call answers
// "cancelled" (false, path unchanged).
class IChoosers {
public:
    virtual ~IChoosers() = default;
    virtual void BrowseFolder(std::string& path) = 0;
    virtual bool ChooseFiles(const std::string& filter, std::string& path, bool multi) = 0;
    virtual bool ChooseSaveFile(const std::string& filter, const std::string& defaultExt, std::string& path) = 0;
};

// Installs the choosers the functions below use (nullptr: none).
void SetChoosers(IChoosers* choosers);

void BrowseFolder(std::string& path);
bool ChooseFiles(const std::string& filter, std::string& path, bool multi);
bool ChooseSaveFile(const std::string& filter, const std::string& defaultExt, std::string& path);

}  // namespace platform
