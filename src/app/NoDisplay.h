#pragma once
#include <functional>
#include <string>

namespace app {

// Whether the window can be shown: a display to talk to (DISPLAY or
// WAYLAND_DISPLAY), or a toolkit platform that needs none (offscreen, vnc,
// ...) named in QT_QPA_PLATFORM. `env` reads a variable (null when unset).
bool DisplayAvailable(const std::function<const char*(const char*)>& env);

// What the command line asked of the window, in a few words, from the
// process-wide project: for the message of a run that cannot have one.
std::string WindowRequestText();

// Says on standard error that the window run was asked for and cannot be
// shown (`why`), what was asked and how to run unattended; answers the exit
// code for a missing window.
int NoWindowFor(const std::string& why);

}  // namespace app
