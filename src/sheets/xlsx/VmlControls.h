#pragma once
// Form controls of a legacy (VML) drawing part: buttons, check boxes, option
// buttons, lists, group boxes, labels, spinners and scroll bars, as static
// shapes. Comment boxes live in the same part and are left to the comments.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheets/model/Shape.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// The parts that hold form controls' properties, by the shape id of the control.
using ControlProps = std::unordered_map<uint32_t, std::string>;

// Adds the controls of `part` to `out`; a part that cannot be read as XML
// adds none. A control's own properties part, where `props` names one, has
// the last word on its list and selection.
void ReadVmlControls(const Package& pkg, const std::string& part, std::vector<std::shared_ptr<const Shape>>& out,
                     const ControlProps& props = {});

}  // namespace sheets::xlsx
