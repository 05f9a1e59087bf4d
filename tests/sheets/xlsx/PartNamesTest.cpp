#include <gtest/gtest.h>

#include "sheets/xlsx/Package.h"

using sheets::xlsx::ResolvePartName;

TEST(PartNames, TargetsResolveAgainstTheirSourcePart) {
    struct Case {
        const char* source;
        const char* target;
        const char* part;
    } cases[] = {
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/worksheets/sheet1.xml", "../drawings/drawing1.xml", "xl/drawings/drawing1.xml"},
        {"xl/worksheets/sheet1.xml", "/xl/media/image1.png", "xl/media/image1.png"},
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"xl/a/b/c.xml", "./../../d//e.xml", "xl/d/e.xml"},
        {"xl/sheet.xml", "../../../../escape.xml", "escape.xml"},
        {"xl/sheet.xml", "..\\media\\image%201.png", "media/image 1.png"},
        {"xl/sheet.xml", "data.xml#frag", "xl/data.xml"},
        {"xl/sheet.xml", "data%3Fx.xml", "xl/data"},
        {"xl/sheet.xml", "", "xl"},
        {"xl/sheet.xml", "..", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolvePartName(c.source, c.target), c.part) << c.source << " + " << c.target;
}
