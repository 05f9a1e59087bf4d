// Pictures held by cells, drawn inside their cells, and the picture tiled
// behind a sheet.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "HtmlSupport.h"
#include "support/Golden.h"

using namespace htmltest;
using namespace sheets;

namespace {

CellPicture InCell(uint32_t row, uint32_t col, std::string type = "image/png", std::string alt = "") {
    return CellPicture{row, col, std::move(type), std::make_shared<const std::string>("\x89PNG"), std::move(alt)};
}

}  // namespace

TEST(HtmlCellPictures, EachFitsItsCellOrMergedRange) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    CellFormat topLeft;
    topLeft.align.horizontal = HAlign::Left;
    topLeft.align.vertical = VAlign::Top;
    wb.styles.formats.push_back(topLeft);
    PutText(wb, s, 0, 0, "Logo");
    PutBlank(s, 1, 1, 0);
    PutBlank(s, 4, 0, 1);
    s.merges.push_back(Range{4, 0, 5, 1});
    s.cellPictures = {InCell(1, 1, "IMAGE/PNG", "a \"quoted\" <logo>"), InCell(4, 0)};
    const std::string body = Body(Render(wb));
    // Columns of 64 px and rows of 20 px: B2, then A5:B6.
    EXPECT_NE(body.find("<img style=\"position:absolute;left:64px;top:20px;width:64px;height:20px;object-fit:contain;"
                        "object-position:center bottom\" alt=\"a &quot;quoted&quot; &lt;logo&gt;\" "
                        "src=\"data:image/png;base64,iVBORw==\">"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("<img style=\"position:absolute;left:0px;top:80px;width:128px;height:40px;object-fit:contain;"
                        "object-position:left top\""),
              std::string::npos)
        << body;
    // The page keeps room below the table for the lowest picture.
    s.cellPictures.push_back(InCell(30, 0));
    EXPECT_NE(Body(Render(wb)).find("<div style=\"height:"), std::string::npos);
}

TEST(HtmlCellPictures, WhatABrowserCannotShowIsLeftOut) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "x");
    s.cols.push_back(ColumnInfo{3, 3, 10, true});
    s.cellPictures = {InCell(1, 1, "image/x-emf"), InCell(1, 2, "text/html"), InCell(1, 3), InCell(1, 4)};
    s.cellPictures[3].data.reset();
    s.cellPictures.push_back(InCell(1, 5));
    s.cellPictures.back().data = std::make_shared<const std::string>();
    const std::string body = Body(Render(wb));
    EXPECT_EQ(body.find("<img"), std::string::npos) << body;

    // Backgrounds alike: only kinds a browser draws, and none too large.
    s.background.contentType = "image/x-wmf";
    s.background.data = "wmf";
    EXPECT_EQ(Body(Render(wb)).find("background-image"), std::string::npos);
    s.background.contentType = "image/gif";
    s.background.data = std::string(kBackgroundMaxBytes + 1, 'g');
    EXPECT_EQ(Body(Render(wb)).find("background-image"), std::string::npos);
}

// A page with pictures in cells over a tiled background, pinned byte for byte.
TEST(HtmlCellPictures, GoldenPage) {
    Workbook wb = OneSheet("Catalogue");
    Sheet& s = wb.sheets[0];
    CellFormat centred;
    centred.align.horizontal = HAlign::Center;
    centred.align.vertical = VAlign::Center;
    wb.styles.formats.push_back(centred);
    PutText(wb, s, 0, 0, "Item");
    PutText(wb, s, 0, 1, "Photo");
    // Readers give a cell that shows a picture an empty text: the label
    // beside it does not run on under the picture.
    PutText(wb, s, 1, 0, "Standing lamp with a long name");
    PutText(wb, s, 1, 1, "", 1);
    RowAt(s, 1).height = 45;
    PutText(wb, s, 2, 0, "Chair");
    PutText(wb, s, 2, 1, "");
    s.merges.push_back(Range{2, 1, 3, 2});
    s.cellPictures = {InCell(1, 1, "image/png", "a lamp"), InCell(2, 1, "image/jpeg", "a chair")};
    s.background.contentType = "image/bmp";
    s.background.data = "BM tile";
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / "cell_pictures.htm",
                     RenderHtml(wb, {}));
}
