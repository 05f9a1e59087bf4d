#pragma once
#include <functional>
#include <string>

namespace ui {

// Shows `path` selected in its folder in the desktop's file manager (the
// freedesktop FileManager1 service); without one, opens the folder.
void ShowInFileManager(const std::string& path);

// Tests put their recorder in place; returns the one before.
using TkvRevealer = std::function<void(const std::string&)>;
TkvRevealer SetRevealer(TkvRevealer revealer);

}  // namespace ui
