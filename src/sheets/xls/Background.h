#pragma once
// A sheet's background picture: the BITMAP record holds a device-independent
// bitmap (a DIB, the body of a .bmp file without its file header).
#include <string>
#include <string_view>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Records.h"

namespace sheets::xls {

constexpr uint16_t kBitmapRecord = 0x00E9;
// Reads a BITMAP record whose body is `first` with the CONTINUE records that
// follow it in `rr`, and makes its picture the sheet's background. A bitmap
// that is not whole, or whose header does not add up, leaves the sheet
// without one.
void ReadBackground(RecordReader& rr, std::string_view first, Sheet& sheet);

}  // namespace sheets::xls
