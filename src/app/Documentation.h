#pragma once
#include <string>

namespace app {

// Where this program's manual and man page are, as lines for the usage text
// (--help): the HTML manual beside the build or in the installation (the
// web's copy when neither is there), and how to open the man page.
std::string DocumentationPointers(const std::string& exePath);

}  // namespace app
