#pragma once
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// Adds the comments of a comments part to `out`.
void ParseComments(const Package& pkg, const std::string& part, std::vector<Comment>& out);

}  // namespace sheets::xlsx
