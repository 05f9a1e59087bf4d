#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/RichText.h"

namespace sheets::xlsx {

// Appends every <si> of a shared-strings part to `out`, run fonts to `fonts`.
void ParseSharedStrings(const Package& pkg, const std::string& part, const ColorResolver& colors, FontTable& fonts,
                        const Font& base, std::vector<RichString>& out);

}  // namespace sheets::xlsx
