#pragma once
// How the HTML writer draws what conditional formats make of a cell: the
// declarations added to its class, and the icon of an icon set.
#include <string>

#include "sheets/cond/Engine.h"
#include "sheets/model/Workbook.h"

namespace sheets::html {

// CSS declarations that follow the cell's own, so that they win: font colour
// and style, fill, borders, and a data bar as a background image.
std::string LookCss(const cond::CellLook& look, const Font& cellFont);

// An inline SVG icon floated to the cell's left edge; nothing without an icon.
void AppendIcon(std::string& out, const cond::CellLook& look);

}  // namespace sheets::html
