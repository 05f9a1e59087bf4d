#pragma once
// Form controls of a legacy (VML) drawing part: buttons, check boxes, option
// buttons, lists, group boxes, labels, spinners and scroll bars, as static
// shapes. Comment boxes live in the same part and are left to the comments.
#include <memory>
#include <string>
#include <vector>

#include "sheets/model/Shape.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// Adds the controls of `part` to `out`; a part that cannot be read as XML adds none.
void ReadVmlControls(const Package& pkg, const std::string& part, std::vector<std::shared_ptr<const Shape>>& out);

}  // namespace sheets::xlsx
