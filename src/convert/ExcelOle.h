#pragma once
#include <cstdint>
#include <string>

#include "automation/Variant.h"
#include "convert/Convertor.h"

namespace convert {

// A converter worker with its own spreadsheet application instance, started
// on the first file it converts, used only on its own thread and told to
// quit when the worker ends.
class TkvExcelOle : public TkvConvertor {
public:
    TkvExcelOle(batch::TkvBatch& batch, batch::TkvNodeEvent onNodeDone, int32_t count);

    // Only this worker's thread touches these.
    automation::Variant ExcelApp;  // null until started
    automation::Variant Workbook;  // null between files
    int32_t ExcelVersion = 0;  // 0 until read

    static constexpr const char* kProgId = "Excel.Application";

    void StartExcel();
    // Starts the application when needed, then opens the workbook unless one
    // is open already. Failures propagate.
    void OpenWorkbook(const std::string& source);
    // Closes without saving; never fails.
    void CloseWorkbook();

    std::string GetEngineExe() override;
    bool HasMacros() override;

    // The major version from a version value: "16.0" gives 16. Text that
    // does not read as a number with `decimalSeparator` loses its dots and
    // is read as an integer; anything above 77 is divided by ten.
    static int32_t ParseExcelVersion(const automation::Variant& version, char decimalSeparator = '.');

protected:
    void Finish() override;
};

}  // namespace convert
