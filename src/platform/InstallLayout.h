#pragma once
#include <string>

namespace platform {

// Where the program's companions are, in the two places it runs from: its
// build folder (everything side by side) and an installation under a prefix
// (/usr, /usr/local, ~/.local, a package's staging folder):
//
//   PREFIX/bin/quindle                            the program
//   PREFIX/lib/quindle/modules/quindle-window.so  the window module
//   PREFIX/share/quindle/                         the program's own data
//   PREFIX/share/doc/quindle/manual/              the manual
//
// All paths are found from the program's own path, so an installation can
// be moved or staged (DESTDIR) as a whole.

// Whether the program runs from an installation: it sits in a folder named
// bin beside a share/quindle/ folder. An installed program keeps its
// writable files (recent list, counters, default project) in the user's XDG
// folders, never in bin/, even when bin/ is writable (root, ~/.local).
bool IsInstalled(const std::string& exePath);

// The window module: beside the program (a build folder), else in the
// installation's lib/quindle/modules/ (a folder of its own: packaging tools
// take a library directly in a lib/ sub-folder for a system library that
// needs ldconfig). The one beside the program when neither exists, so that
// the message about it names a place.
std::string WindowModuleFile(const std::string& exePath, const std::string& fileName);

// The manual's first page: manual/index.html beside the program (a build
// folder), else the installed one; empty when there is none.
std::string ManualFile(const std::string& exePath);
// Where the installation keeps the manual, existing or not.
std::string InstalledManualFile(const std::string& exePath);

}  // namespace platform
