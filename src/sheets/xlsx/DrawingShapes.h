#pragma once
// Shapes, connectors and groups of a DrawingML drawing part.
#include <memory>
#include <vector>

#include "sheets/model/Shape.h"
#include "sheets/xlsx/XmlTree.h"

namespace sheets::xlsx {

// Adds the shapes of every anchor of the drawing `t` to `out`, group members
// flattened into their group's anchor. `scheme` as for DrawingColors.
void ReadDrawingShapes(const XmlTree& t, const std::vector<uint32_t>& scheme,
                       std::vector<std::shared_ptr<const Shape>>& out);

}  // namespace sheets::xlsx
