#include "platform/InstallLayout.h"

#include "platform/Files.h"
#include "platform/Text.h"

namespace platform {

namespace {

// The folder above the program's, ending in '/'; empty when the program's
// folder is not named bin.
std::string PrefixOf(const std::string& exePath) {
    std::string folder = FolderPart(exePath);
    if (folder.size() < 4 || folder.compare(folder.size() - 4, 4, "bin/") != 0) return {};
    if (folder.size() > 4 && folder[folder.size() - 5] != '/') return {};  // "xbin/" is no bin
    return folder.substr(0, folder.size() - 4);
}

}  // namespace

bool IsInstalled(const std::string& exePath) {
    const std::string prefix = PrefixOf(exePath);
    return !prefix.empty() && DirectoryExists(prefix + "share/quindle");
}

std::string WindowModuleFile(const std::string& exePath, const std::string& fileName) {
    const std::string beside = FolderPart(exePath) + fileName;
    if (FileExists(beside)) return beside;
    const std::string prefix = PrefixOf(exePath);
    const std::string installed = prefix.empty() ? std::string() : prefix + "lib/quindle/modules/" + fileName;
    if (!installed.empty() && FileExists(installed)) return installed;
    return beside;
}

std::string InstalledManualFile(const std::string& exePath) {
    const std::string prefix = PrefixOf(exePath);
    return prefix.empty() ? std::string() : prefix + "share/doc/quindle/manual/index.html";
}

std::string ManualFile(const std::string& exePath) {
    const std::string beside = FolderPart(exePath) + "manual/index.html";
    if (FileExists(beside)) return beside;
    const std::string installed = InstalledManualFile(exePath);
    if (FileExists(installed)) return installed;
    return {};
}

}  // namespace platform
