#include "app/WindowModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/NoDisplay.h"
#include "app/Startup.h"
#include "platform/InstallLayout.h"
#include "platform/TkvApp.h"

namespace app {

TkvWindowModule::TkvWindowModule(int& argc, char** argv) : argc_(argc), argv_(argv) {}

// The module stays loaded: its code may still be on the stack of an exit
// handler, and unloading a toolkit is not worth that risk.
TkvWindowModule::~TkvWindowModule() { DestroyWindows(); }

int TkvWindowModule::Run() {
    std::filesystem::path file =
        platform::WindowModuleFile(platform::kvApp ? platform::kvApp->ExePath() : std::string(), kFileName);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return NoWindowRun();
    // Without a display the toolkit aborts the process with a message about
    // its plugins; a plain word and a clean exit code serve a server better.
    if (!DisplayAvailable([](const char* name) { return std::getenv(name); }))
        return NoWindowFor("the window cannot be shown: there is no display (DISPLAY and WAYLAND_DISPLAY are unset)");
    void* lib = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = lib ? reinterpret_cast<Entry>(dlsym(lib, kEntryName)) : nullptr;
    if (!entry) {
        const char* why = dlerror();
        std::fprintf(stderr, "quindle: the window cannot be started (%s)\n", why ? why : file.c_str());
        return kExitNoWindow;
    }
    run_.reset(entry(&argc_, argv_));
    return run_->Run();
}

void TkvWindowModule::DestroyWindows() {
    if (run_) run_->DestroyWindows();
    run_.reset();
}

}  // namespace app
