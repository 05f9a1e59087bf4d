#pragma once
#include <memory>
#include <string>

#include "app/WindowRun.h"

namespace app {

// The window run, loaded from the window module (beside the program, or in
// the installation's lib/quindle/modules/) when it is first needed: an
// unattended run never loads the GUI toolkit, whose libraries take longer to
// load than a small batch takes to convert.
class TkvWindowModule : public IWindowRun {
public:
    // The name of the module's file.
    static constexpr const char* kFileName = "quindle-window.so";
    // The module's one entry point: creates the window run.
    static constexpr const char* kEntryName = "QuindleCreateWindowRun";
    using Entry = IWindowRun* (*)(int* argc, char** argv);

    TkvWindowModule(int& argc, char** argv);
    ~TkvWindowModule() override;

    // Loads the module and runs the windows; without a module (a build
    // without the GUI, or one that cannot be loaded) says why on stderr and
    // answers the exit code for a missing window.
    int Run() override;
    void DestroyWindows() override;

private:
    int& argc_;
    char** argv_;
    std::unique_ptr<IWindowRun> run_;
};

}  // namespace app
