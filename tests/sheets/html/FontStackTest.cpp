// Fonts with a free twin of the same metrics name it, so that pages keep their
// widths and line breaks where the original font is missing.
#include <gtest/gtest.h>

#include "HtmlSupport.h"
#include "sheets/html/FontStack.h"
#include "sheets/model/Shape.h"

using namespace sheets::html;

TEST(FontStack, NamesTheMetricTwinAndItsFamily) {
    struct Case {
        const char* font;
        const char* stack;
    } cases[] = {
        {"Calibri", "\"Calibri\",\"Carlito\",sans-serif"},
        {"CALIBRI", "\"CALIBRI\",\"Carlito\",sans-serif"},
        {"Cambria", "\"Cambria\",\"Caladea\",serif"},
        {"Arial", "\"Arial\",\"Liberation Sans\",sans-serif"},
        {"Times New Roman", "\"Times New Roman\",\"Liberation Serif\",serif"},
        {"Courier New", "\"Courier New\",\"Liberation Mono\",monospace"},
        {"Verdana", "\"Verdana\",sans-serif"},
        {"Calibri Light", "\"Calibri Light\",sans-serif"},
        {"Cal\"ibri", "\"Calibri\",\"Carlito\",sans-serif"},  // quotes cannot break out of the name
        {"\"';{}", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FontStack(c.font), c.stack) << c.font;
}

TEST(FontStack, PagesNameTheTwinForTheDefaultAndForCellFonts) {
    sheets::Workbook wb = htmltest::OneSheet();
    sheets::Font cambria;
    cambria.name = "Cambria";
    wb.styles.fonts.push_back(cambria);
    sheets::CellFormat f;
    f.font = 1;
    wb.styles.formats.push_back(f);
    htmltest::PutText(wb, wb.sheets[0], 0, 0, "x", 1);
    const std::string page = htmltest::Render(wb);
    EXPECT_NE(page.find("table{border-collapse:collapse;table-layout:fixed;font-family:\"Calibri\",\"Carlito\","
                        "sans-serif;"),
              std::string::npos);
    EXPECT_NE(page.find("font-family:\"Cambria\",\"Caladea\",serif"), std::string::npos);
}

TEST(FontStack, ShapeTextNamesTheTwinToo) {
    sheets::Workbook wb = htmltest::OneSheet();
    sheets::Shape box;
    box.to = sheets::Anchor{2, 2};
    sheets::ShapeParagraph p;
    sheets::ShapeRun plain, cambria;
    plain.text = "default";
    cambria.text = "own face";
    cambria.face = "Cambria";
    p.runs = {plain, cambria};
    box.text.push_back(p);
    wb.sheets[0].shapes.push_back(std::make_shared<const sheets::Shape>(box));
    const std::string page = htmltest::Render(wb);
    EXPECT_NE(page.find("font-family:Calibri,Carlito,sans-serif;"), std::string::npos) << page;
    // A run's style is escaped into its attribute.
    EXPECT_NE(page.find("font-family:&quot;Cambria&quot;,&quot;Caladea&quot;,serif;"), std::string::npos) << page;
}
