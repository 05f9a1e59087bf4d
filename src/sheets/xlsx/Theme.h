#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// Parses a theme part's colour scheme (document order, see
// ColorResolver::SetScheme); the rest of the theme (fonts, effects) is not
// read.
std::vector<uint32_t> ParseThemeScheme(const Package& pkg, const std::string& part);

}  // namespace sheets::xlsx
