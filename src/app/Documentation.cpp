#include "app/Documentation.h"

#include "info/TkvInfo.h"
#include "platform/Files.h"
#include "platform/InstallLayout.h"
#include "platform/Text.h"

namespace app {

std::string DocumentationPointers(const std::string& exePath) {
    std::string manual = platform::ManualFile(exePath);
    if (manual.empty()) manual = std::string(info::kVendorUrl) + "/en/quindle/manual.htm";
    // A build folder has its page beside the program; an installation's is
    // on man's own path.
    const std::string page = platform::FolderPart(exePath) + "quindle.1";
    const std::string man = platform::FileExists(page) ? "man -l " + page : std::string("man quindle");
    return "Manual: " + manual + " (F1 in the window)\nMan page: " + man + "\n";
}

}  // namespace app
