#pragma once
// The entry names of a zip archive, read from its central directory alone:
// enough to tell what kind of package it is without opening it.
#include <optional>
#include <string_view>
#include <vector>

namespace sheets {

// The names as stored, in directory order; nullopt when the directory
// cannot be found or does not hold together (or is in the 64-bit form),
// and then only opening the archive can tell.
std::optional<std::vector<std::string_view>> ZipEntryNames(std::string_view archive);

}  // namespace sheets
