#include "app/Startup.h"

#include <cxxabi.h>
#include <cstdio>
#include <typeinfo>

#include "app/Documentation.h"
#include "app/NoDisplay.h"
#include "app/TkvMain.h"
#include "app/Usage.h"
#include "batch/Match.h"
#include "info/TkvInfo.h"
#include "platform/ProcessSetup.h"
#include "platform/Switches.h"
#include "platform/Text.h"
#include "platform/TkvApp.h"
#include "project/TkvProject.h"

namespace app {

TkvMain* kvMain = nullptr;

namespace {

std::string Demangle(const char* name) {
    int status = 0;
    char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string out = status == 0 && plain ? plain : name;
    std::free(plain);
    return out;
}

// Destroys the process-wide objects in the reverse order of their creation;
// each step only for what exists, so that an early end (-I, -U, an error)
// tears down just what was built.
void ExitSequence() {
    delete batch::kvMatch;
    batch::kvMatch = nullptr;
    delete kvMain;
    kvMain = nullptr;
    delete project::kvProject;  // resets the bound controls, writes the recent list
    project::kvProject = nullptr;
    delete info::kvInfo;  // writes the usage store a last time
    info::kvInfo = nullptr;
    delete platform::kvApp;
    platform::kvApp = nullptr;
}

void ReportUnattendedError(const std::string& className, const void* address, const std::string& message) {
    const std::string exe = platform::kvApp ? platform::kvApp->ExePath() : std::string("quindle");
    const std::string text = "Application Error\r\n" + ApplicationErrorText(className, exe, address, message);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// Reports the exception being handled; call only inside a catch block.
void ReportCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        ReportUnattendedError(Demangle(typeid(e).name()), &e, e.what());
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        ReportUnattendedError(type ? Demangle(type->name()) : std::string("unknown"), nullptr,
                              "An unknown error occurred");
    }
}

}  // namespace

std::string ApplicationErrorText(const std::string& className, const std::string& exePath, const void* address,
                                 const std::string& message) {
    char where[32];
    std::snprintf(where, sizeof where, "%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address)));
    const bool fullStop = !message.empty() && message.back() == '.';
    return "Exception " + className + " in module " + platform::NamePart(exePath) + " at " + where + ".\r\n" + message +
           (fullStop ? "" : ".") + "\r\n";
}

void ApplyProductProfile(project::TkvProject& p) {
    p.ConverterClass = "TkvQUINDLE";
    p.FilePattern = "*.xls?";
    p.FileFilter = "Excel Workbook|*.xls;*.xlsx;*.xlsm;*.xlsb";
    p.TargetExt = ".htm";
    p.ShortName = "quindle";
    p.ProjectExt = ".batch-" + p.ShortName;
    p.ProjectFilter = "Quindle Project|*" + p.ProjectExt;
    p.Title = kProductTitle;
    p.ProductVersion = kProductVersion;
    p.PathDelim = '/';
}

int NoWindowRun() { return NoWindowFor("this project needs the window run, which this build (without the GUI) lacks"); }

int QuindleMain(int argc, char** argv, IWindowRun* window) {
    platform::PinLocalTimeZone();
    platform::KeepFreedMemory();
    return QuindleMain(std::make_unique<platform::TkvApp>(argc, argv), window);
}

int QuindleMain(std::unique_ptr<platform::TkvApp> app, IWindowRun* window) {
    // Answered before anything else exists: no store, no project, no display.
    if (const TInfoRequest ask = InfoRequestOf(app->FirstArg()); ask != TInfoRequest::None) {
        const std::string text =
            ask == TInfoRequest::Help ? UsageText() + "\n" + DocumentationPointers(app->ExePath()) : VersionText();
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : kExitUnattendedError;
    }
    try {
        platform::kvApp = app.release();
        info::kvInfo = new info::TkvInfo(platform::kvApp->ExePath(),
                                         info::TkvInfo::DefaultStatsFileName(platform::kvApp->ExePath()));
        project::kvProject = new project::TkvProject();
        kvMain = new TkvMain();

        ApplyProductProfile(*project::kvProject);
        info::kvInfo->SetProduct(project::kvProject->Title, project::kvProject->ShortName,
                                 project::kvProject->ProductVersion);
        platform::SkipLockFiles = true;
        project::kvProject->ParseCommandLine();
        if (project::kvProject->ExitRequested()) {
            ExitSequence();
            return 0;
        }
        batch::kvMatch = new batch::TkvMatch();

        // Decided once. A Source on the web needs no window: the engine fetches
        // it on its own.
        if (project::kvProject->PureConsole()) {
            kvMain->Run();
            ExitSequence();
            return 0;
        }
    } catch (...) {
        ReportCurrentException();
        try {
            ExitSequence();
        } catch (...) {}
        return kExitUnattendedError;
    }

    if (!window) {
        ExitSequence();
        return NoWindowRun();
    }
    int rc;
    try {
        rc = window->Run();
    } catch (...) {
        // The window reports errors of its own actions; one that escapes
        // its loop ends the process like one from the unattended run.
        ReportCurrentException();
        rc = kExitUnattendedError;
    }
    // The project's teardown still talks to the bound controls, so the
    // windows go last.
    ExitSequence();
    window->DestroyWindows();
    return rc;
}

}  // namespace app
