#include "sheets/Errors.h"
#include "sheets/Loader.h"

namespace sheets {

Workbook ReadXls(std::string_view) { throw Error("Reading .xls workbooks is not supported yet"); }

}  // namespace sheets
