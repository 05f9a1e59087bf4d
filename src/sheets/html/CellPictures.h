#pragma once
// Pictures that cells hold as their values, each drawn inside its cell (or
// the merged range the cell starts), and the picture tiled behind a sheet.
#include <cstdint>
#include <string>
#include <string_view>

#include "sheets/html/SheetCharts.h"
#include "sheets/html/SheetGeometry.h"
#include "sheets/model/Workbook.h"

namespace sheets::html {

// Whether browsers draw images of this content type (folded to lower case).
bool BrowserShowsImage(std::string_view type);

// The cell pictures of a worksheet, placed absolutely over its table, each
// scaled to fit its cell with its proportions kept and aligned as the cell
// aligns its value. Returns the lowest edge they reach (0 for none).
int64_t AppendCellPictures(const Sheet& sheet, const Styles& styles, const SheetGeometry& geo, std::string& out,
                           const Drain& drain);

// The style attribute that tiles the sheet's background picture behind its
// cells, or "" when it has none a browser can show. The picture fills at
// least the window, as it does in the spreadsheet, also for a sheet that
// holds nothing else.
std::string BackgroundCss(const Sheet& sheet);

}  // namespace sheets::html
