#pragma once
#include <string>

#include "sheets/model/Workbook.h"

namespace sheets {

// The largest page written: as large as the largest workbook read, and far
// beyond what a browser still shows.
inline constexpr uint64_t kMaxPageBytes = 512ull << 20;

struct HtmlOptions {
    enum class Scope { Workbook, ActiveSheet, SheetAt } scope = Scope::Workbook;
    uint32_t sheetPosition = 0;  // SheetAt: 1-based, chart sheets counted
    std::string title;  // <title>; the file name when empty
    uint64_t maxPageBytes = kMaxPageBytes;  // a larger page fails (TooLarge)
};

// The whole document. Throws sheets::Error for a sheet position that does
// not exist and for a page larger than options.maxPageBytes.
std::string RenderHtml(const Workbook& wb, const HtmlOptions& options);
// Renders and writes to a temporary file beside `path`, then renames it into
// place. Throws sheets::Error on failure; an existing file then stays.
void WriteHtml(const Workbook& wb, const std::string& path, const HtmlOptions& options);

}  // namespace sheets
