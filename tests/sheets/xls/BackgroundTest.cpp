// A sheet's background bitmap: the BITMAP record and its CONTINUE records.
#include <gtest/gtest.h>

#include "XlsTestStream.h"
#include "sheets/xls/XlsReader.h"

using namespace sheets;
using namespace xlstest;

namespace {

// Three by two pixels of 24 bits under the old core header: rows of 12 bytes.
const std::string kPixels =
    "abcdefghijkl"
    "mnopqrstuvwx";
const std::string kDib = U32(12) + U16(3) + U16(2) + U16(1) + U16(24) + kPixels;

std::string Bitmap(const std::string& blob, uint16_t format = 9, uint32_t length = 0xFFFFFFFF) {
    return U16(format) + U16(1) + U32(length == 0xFFFFFFFF ? uint32_t(blob.size()) : length) + blob;
}

// The sheet read from these records, then a number in A1.
Sheet Read(const std::string& records) {
    const std::string cells = records + Rec(0x0203, CellAt(0, 0, 15) + F64(7));
    Workbook wb = ReadXls(Cfb(Stream(BasicGlobals(), {{"S", cells}})));
    EXPECT_EQ(wb.sheets.at(0).rows.size(), 1u);  // the rest of the sheet is read whatever the bitmap says
    return std::move(wb.sheets.at(0));
}

}  // namespace

TEST(XlsBackground, BitmapRunsOnAcrossContinueRecords) {
    const std::string body = Bitmap(kDib);
    const Sheet s =
        Read(Rec(0x00E9, body.substr(0, 20)) + Rec(0x003C, body.substr(20, 5)) + Rec(0x003C, body.substr(25)));
    EXPECT_EQ(s.background.contentType, "image/bmp");
    ASSERT_GE(s.background.data.size(), 14u + kDib.size());
    EXPECT_EQ(s.background.data.substr(0, 2), "BM");
    EXPECT_EQ(s.background.data.substr(14), kDib);
}

TEST(XlsBackground, BitmapsThatLieLeaveTheSheetWithoutOne) {
    // A length that cuts the pixels short, and one past the limit; a length
    // past the bytes held still shows a bitmap that is whole.
    EXPECT_TRUE(Read(Rec(0x00E9, Bitmap(kDib, 9, uint32_t(kDib.size() - 1)))).background.data.empty());
    EXPECT_FALSE(Read(Rec(0x00E9, Bitmap(kDib, 9, uint32_t(kDib.size() + 100)))).background.data.empty());
    EXPECT_TRUE(Read(Rec(0x00E9, Bitmap(kDib, 9, 0xFFFFFFF0))).background.data.empty());
    // A header claiming more rows than the pixels give, and a depth that is none.
    std::string tall = kDib;
    tall.replace(6, 2, U16(200));
    EXPECT_TRUE(Read(Rec(0x00E9, Bitmap(tall))).background.data.empty());
    std::string odd = kDib;
    odd.replace(10, 2, U16(7));
    EXPECT_TRUE(Read(Rec(0x00E9, Bitmap(odd))).background.data.empty());
    // The native format, and records too short for their own fields.
    EXPECT_TRUE(Read(Rec(0x00E9, Bitmap(kDib, 0x000E))).background.data.empty());
    const std::string whole = Bitmap(kDib);
    for (size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_TRUE(Read(Rec(0x00E9, whole.substr(0, cut))).background.data.empty()) << cut;
}
