#pragma once
#include <exception>
#include <memory>
#include <string>

#include "app/WindowRun.h"

namespace platform {
class TkvApp;
}  // namespace platform
namespace project {
class TkvProject;
}  // namespace project

namespace app {

class TkvMain;

// The whole process: start-up, the run mode, the exit sequence. `window` is
// nullptr in a build without the GUI. Returns the process exit code.
int QuindleMain(int argc, char** argv, IWindowRun* window);
// The same with a ready application object (tests give an explicit program
// path so that the program's files land in a folder of their own).
int QuindleMain(std::unique_ptr<platform::TkvApp> app, IWindowRun* window);

// Exit codes besides 0.
inline constexpr int kExitUnattendedError = 1;  // an error escaped the unattended run
inline constexpr int kExitNoWindow = 2;  // the window run is needed but not built

// Says on stderr that this build has no window run; answers kExitNoWindow.
int NoWindowRun();

// Writes the product's constants into the project.
void ApplyProductProfile(project::TkvProject& project);

// The text that reports an error which escaped the unattended run.
std::string ApplicationErrorText(const std::string& className, const std::string& exePath, const void* address,
                                 const std::string& message);

// The console-run driver, created empty in both run modes.
extern TkvMain* kvMain;

}  // namespace app
