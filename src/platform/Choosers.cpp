#include "platform/Choosers.h"

namespace platform {

namespace {
// Main thread only, like the dialogs themselves.
IChoosers* gChoosers = nullptr;
}  // namespace

void SetChoosers(IChoosers* choosers) { gChoosers = choosers; }

void BrowseFolder(std::string& path) {
    if (gChoosers) gChoosers->BrowseFolder(path);
}

bool ChooseFiles(const std::string& filter, std::string& path, bool multi) {
    return gChoosers && gChoosers->ChooseFiles(filter, path, multi);
}

bool ChooseSaveFile(const std::string& filter, const std::string& defaultExt, std::string& path) {
    return gChoosers && gChoosers->ChooseSaveFile(filter, defaultExt, path);
}

}  // namespace platform
