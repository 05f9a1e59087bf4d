#pragma once
#include <functional>
#include <string>

namespace platform {

// Opens a file, folder or address with the desktop's default handler
// (xdg-open, started detached). Never blocks; failures stay silent.
void ShellOpen(const std::string& target);

// Tests swap the opener for a recorder so that no browser ever starts.
// Returns the opener that was installed before.
using ShellOpener = std::function<void(const std::string&)>;
ShellOpener SetShellOpener(ShellOpener opener);

}  // namespace platform
