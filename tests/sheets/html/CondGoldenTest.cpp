// Conditional formats of workbooks saved by Excel, one rule family each,
// pinned as whole pages. After an intended change, run with
// QUINDLE_UPDATE_GOLDEN=1 and review the diff of golden/cond_format*.htm.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"
#include "support/Golden.h"

namespace {

const std::filesystem::path kHere = std::filesystem::path(__FILE__).parent_path();

void Check(const std::string& name) {
    const sheets::Workbook wb = sheets::LoadWorkbook((kHere / "fixtures" / "cond" / (name + ".xlsx")).string());
    sheets::HtmlOptions o;
    o.title = name;
    ExpectGoldenFile(kHere / "golden" / (name + ".htm"), sheets::RenderHtml(wb, o));
}

}  // namespace

// Cell-value rules: font colour and fill; two rules by priority (strike over
// underline); a border; a 10 by 10 range split at 50; bold and italic; "stop if true".
TEST(CondGolden, CellValueRules) {
    for (const char* n : {"cond_format01", "cond_format03", "cond_format05", "cond_format07", "cond_format10",
                          "cond_format15", "cond_format16"})
        Check(n);
}

// Icon sets: percent points, reversed, icons only, formula and percentile points, strict thresholds.
TEST(CondGolden, IconSets) {
    for (const char* n : {"cond_format17", "cond_format18", "cond_format20"}) Check(n);
}
