// Telling a binary workbook's package from a text one: by the entry names of
// the zip directory where they decide, by the main part's relationship
// otherwise.
#include <gtest/gtest.h>

#include "../xlsx/XlsxFixtures.h"
#include "XlsbBuilder.h"
#include "sheets/Errors.h"
#include "sheets/container/ZipDirectory.h"
#include "sheets/xlsb/XlsbReader.h"

using namespace sheets;

TEST(XlsbPackageKind, NamesFromTheZipDirectory) {
    const std::string zip = fixtures::Zip({{"a.txt", "x"}, {"xl/Workbook.BIN", "yy"}});
    const auto names = ZipEntryNames(zip);
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::string_view>{"a.txt", "xl/Workbook.BIN"}));
    // An archive comment after the end record.
    std::string commented = zip;
    commented[commented.size() - 2] = 5;
    commented += "hello";
    EXPECT_TRUE(ZipEntryNames(commented));
    // Cut short, or a directory that claims more than it holds.
    EXPECT_FALSE(ZipEntryNames(zip.substr(0, zip.size() - 1)));
    EXPECT_FALSE(ZipEntryNames(zip.substr(0, 30)));
    EXPECT_FALSE(ZipEntryNames(""));
    std::string more = zip;
    more[more.size() - 12] = 9;  // entries in the directory
    EXPECT_FALSE(ZipEntryNames(more));
    std::string past = zip;
    past[past.size() - 5] = '\x7F';  // the directory's offset, far past the end
    EXPECT_FALSE(ZipEntryNames(past));
}

TEST(XlsbPackageKind, MainPartDecides) {
    EXPECT_FALSE(IsXlsbPackage(fixtures::Package(fixtures::SheetXml(""))));
    EXPECT_TRUE(IsXlsbPackage(xlsbtest::Package(xlsbtest::Book{})));
    // No relationships: the usual binary part name.
    EXPECT_TRUE(IsXlsbPackage(fixtures::Zip({{"xl/workbook.bin", "x"}})));
    EXPECT_FALSE(IsXlsbPackage(fixtures::Zip({{"xl/vbaProject.bin", "x"}, {"word/document.xml", "x"}})));
    // A directory that cannot be read: the archive is opened to tell.
    std::string trailing = xlsbtest::Package(xlsbtest::Book{}) + "junk";
    EXPECT_FALSE(ZipEntryNames(trailing));
    EXPECT_THROW(IsXlsbPackage(std::string("PK\3\4 not a zip at all")), Error);
}
