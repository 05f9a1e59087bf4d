#pragma once

namespace app {

// The window run, provided by the GUI entry. Start-up calls Run once the
// process-wide objects exist, and DestroyWindows after they are gone (the
// project's teardown still talks to the bound controls).
class IWindowRun {
public:
    virtual ~IWindowRun() = default;
    // Initialises the toolkit, creates the windows and runs the event loop
    // until the main window closes; returns the exit code.
    virtual int Run() = 0;
    virtual void DestroyWindows() = 0;
};

}  // namespace app
