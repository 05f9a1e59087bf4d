#pragma once
#include "automation/Dispatch.h"

namespace automation {

// The built-in "Excel.Application" server over the spreadsheet engine:
//   Application: Version, DisplayAlerts, Workbooks, Path, Quit
//   Workbooks:   Open(FileName, UpdateLinks, ReadOnly, Format, Password), Count
//   Workbook:    SaveAs(FileName, FileFormat), Close, Sheets, ActiveSheet,
//                HasVBProject, Name
//   Sheets:      Count, Item(position or name)
//   Worksheet:   SaveAs(FileName, FileFormat), Name
// Every instance is independent; use it on one thread only.
HResult CreateExcelApplication(ObjectRef& out);

// The HTML file format number of SaveAs, the only one the engine writes.
inline constexpr int32_t kXlHtml = 44;
// The version the server reports.
inline constexpr const char* kEngineVersion = "16.0";

}  // namespace automation
