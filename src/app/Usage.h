#pragma once
#include <string>

namespace app {

// The product's name and version, as the profile puts them into the project.
inline constexpr const char* kProductTitle = "Quindle Converter";
inline constexpr const char* kProductVersion = "2025.17.420.1984";

// What the first argument asks that needs no project and no window.
enum class TInfoRequest { None, Help, Version };
TInfoRequest InfoRequestOf(const std::string& firstArg);

// The short usage that --help prints: the forms of the command line, the
// inline options, the exit codes and an example.
std::string UsageText();
// "Quindle Converter 2025.17.420.1984".
std::string VersionText();

}  // namespace app
