#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ServerFiles.h"
#include "automation/OleObject.h"
#include "automation/Registry.h"
#include "support/TempDir.h"

using namespace automation;

namespace {

std::string Text(const Variant& v) {
    std::string s;
    v.ToText(s);
    return s;
}

class ExcelServer : public ::testing::Test {
protected:
    TempDir dir;
    Variant app = CreateOleObject("Excel.Application");
    Variant books = GetProperty(app, "Workbooks");
    std::string book = dir / "book.xlsx";

    void SetUp() override { WriteTwoSheetBook(book); }
    Variant Open(const std::string& path) {
        return CallMethod(books, "Open", {Variant(path), Variant::Omitted(), Variant(true)});
    }
};

}  // namespace

TEST_F(ExcelServer, ApplicationMembers) {
    EXPECT_EQ(Text(GetProperty(app, "Version")), "16.0");
    SetProperty(app, "DisplayAlerts", Variant(false));
    bool alerts = true;
    EXPECT_TRUE(GetProperty(app, "DisplayAlerts").ToBool(alerts));
    EXPECT_FALSE(alerts);
    EXPECT_FALSE(Text(GetProperty(app, "Path")).empty());
    EXPECT_NO_THROW(CallMethod(app, "Quit"));
    // Every creation gives an instance of its own.
    Variant other = CreateOleObject("Excel.Application");
    EXPECT_NE(other.Object(), app.Object());
}

TEST_F(ExcelServer, SavesTheWorkbookOrOneSheet) {
    Variant wb = Open(book);
    bool macros = true;
    EXPECT_TRUE(GetProperty(wb, "HasVBProject").ToBool(macros));
    EXPECT_FALSE(macros);
    int32_t count = 0;
    EXPECT_TRUE(GetProperty(GetProperty(wb, "Sheets"), "Count").ToInt(count));
    EXPECT_EQ(count, 2);

    CallMethod(wb, "SaveAs", {Variant(dir / "all.htm"), Variant(44)});
    CallMethod(GetProperty(wb, "ActiveSheet"), "SaveAs", {Variant(dir / "active.htm"), Variant(44)});
    Variant first = GetIndexedProperty(wb, "Sheets", {Variant(1)});
    EXPECT_EQ(Text(GetProperty(first, "Name")), "First");
    CallMethod(first, "SaveAs", {Variant(dir / "first.htm"), Variant(44)});
    EXPECT_EQ(Text(GetProperty(GetIndexedProperty(wb, "Sheets", {Variant("second")}), "Name")), "Second");

    std::string all = ReadFileText(dir / "all.htm");
    EXPECT_NE(all.find("alpha"), std::string::npos);
    EXPECT_NE(all.find("42"), std::string::npos);
    EXPECT_NE(ReadFileText(dir / "active.htm").find("42"), std::string::npos);
    EXPECT_EQ(ReadFileText(dir / "active.htm").find("alpha"), std::string::npos);
    EXPECT_NE(ReadFileText(dir / "first.htm").find("alpha"), std::string::npos);

    EXPECT_EQ(Failure([&] { GetIndexedProperty(wb, "Sheets", {Variant(3)}); }),
              "Sheet 3 does not exist: the workbook has 2 sheets");
    EXPECT_EQ(Failure([&] {
                  CallMethod(wb, "SaveAs", {Variant(dir / "x.xlsx"), Variant(51)});
              }),
              "File format 51 is not supported: only 44 (HTML) can be saved");
    EXPECT_EQ(Failure([&] { CallMethod(wb, "SaveAs", {Variant(dir / "x.xlsx")}); }),
              "File format (none) is not supported: only 44 (HTML) can be saved");

    CallMethod(wb, "Close", {Variant(false)});
    EXPECT_EQ(Failure([&] {
                  CallMethod(wb, "SaveAs", {Variant(dir / "late.htm"), Variant(44)});
              }),
              "The workbook is closed");
}

TEST_F(ExcelServer, WorkbooksThatCannotBeOpened) {
    EXPECT_EQ(Failure([&] { Open(dir / "missing.xlsx"); }), "Cannot find the workbook 'missing.xlsx'");
    std::string damaged = dir.Write("damaged.xls", "this is not a workbook");
    EXPECT_NE(Failure([&] { Open(damaged); }), "(no error)");
    std::string locked = dir.Write("locked.xlsx", EncryptedPackageBytes());
    EXPECT_EQ(Failure([&] { Open(locked); }), "The workbook is password-protected");
    // With a password argument too: nothing waits for a password.
    EXPECT_EQ(Failure([&] {
                  CallMethod(books, "Open",
                             {Variant(locked), Variant::Omitted(), Variant(true), Variant::Omitted(), Variant(12345)});
              }),
              "The workbook is password-protected");
}

TEST_F(ExcelServer, ReadOnlyTargetIsNotReplaced) {
    Variant wb = Open(book);
    std::string target = dir.Write("t.htm", "old");
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    EXPECT_EQ(Failure([&] {
                  CallMethod(wb, "SaveAs", {Variant(target), Variant(44)});
              }),
              "Cannot replace the read-only file 't.htm'");
    EXPECT_EQ(ReadFileText(target), "old");
    chmod(target.c_str(), 0644);
    CallMethod(wb, "SaveAs", {Variant(target), Variant(44)});
    EXPECT_NE(ReadFileText(target), "old");
}
