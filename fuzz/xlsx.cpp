// Feeds arbitrary bytes to the workbook loader: any input must either load
// or fail with sheets::Error, within the memory budget.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheets/Errors.h"
#include "sheets/Loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        sheets::Workbook wb =
            sheets::LoadWorkbookFromMemory(std::string_view(reinterpret_cast<const char*>(data), size));
        (void)wb;
    } catch (const sheets::Error&) {}
    return 0;
}
