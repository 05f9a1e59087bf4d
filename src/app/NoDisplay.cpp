#include "app/NoDisplay.h"

#include <cstdio>

#include "app/Startup.h"
#include "platform/Files.h"
#include "platform/TkvApp.h"
#include "project/TkvProject.h"

namespace app {

namespace {

bool Set(const char* v) { return v && *v; }

}  // namespace

bool DisplayAvailable(const std::function<const char*(const char*)>& env) {
    const char* platform = env("QT_QPA_PLATFORM");
    const std::string name = Set(platform) ? platform : "";
    // The desktop platforms need their display; the others draw elsewhere.
    const bool desktop = name.empty() || name.rfind("xcb", 0) == 0 || name.rfind("wayland", 0) == 0;
    if (!desktop) return true;
    return Set(env("DISPLAY")) || Set(env("WAYLAND_DISPLAY"));
}

std::string WindowRequestText() {
    const std::string arg = platform::kvApp ? platform::kvApp->FirstArg() : std::string();
    const project::TkvProject* p = project::kvProject;
    if (arg.empty()) return "the window with the default project";
    if (!p) return "the window for \"" + arg + "\"";
    if (p->IsProjectFile(arg)) {
        if (!platform::FileExists(arg)) return "the project \"" + arg + "\", which cannot be read";
        return "the project \"" + arg + "\", which does not say PureConsole=1";
    }
    if (arg[0] == '-') return "the window with the options \"" + arg + "\" (without PureConsole=1)";
    if (!platform::FileExists(arg) && !platform::DirectoryExists(arg))
        return "the window with the source \"" + arg + "\", which does not exist";
    return "the window with the source \"" + arg + "\"";
}

int NoWindowFor(const std::string& why) {
    const std::string text = "quindle: " + why + "\nquindle: asked for " + WindowRequestText() +
                             "\n"
                             "quindle: to convert without a window, run a project that says PureConsole=1, e.g.\n"
                             "  quindle \"-P:Source=/data/in/*.xls?,Target=/data/out/,PureConsole=1\"\n"
                             "quindle --help lists the options.\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    return kExitNoWindow;
}

}  // namespace app
