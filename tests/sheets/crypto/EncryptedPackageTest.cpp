// Packages encrypted with the password Excel applies when the author gave
// none open like unprotected ones; any other password fails at once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "EncryptTestFile.h"
#include "sheets/Failure.h"
#include "sheets/Loader.h"
#include "sheets/container/Cfb.h"
#include "sheets/crypto/EncryptedPackage.h"
#include "sheets/xlsx/XlsxFixtures.h"
#include "support/TempDir.h"

using failure::FailsWith;
using sheets::ErrorKind;

namespace {

std::string Workbook() {
    return fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Secret");
        worksheet_write_string(ws, 0, 0, "kept in the dark", nullptr);
        worksheet_write_number(ws, 1, 0, 42, nullptr);
    });
}

void ExpectTheWorkbook(const sheets::Workbook& wb) {
    ASSERT_EQ(wb.sheets.size(), 1u);
    EXPECT_EQ(wb.sheets[0].name, "Secret");
    const sheets::Cell* c = fixtures::CellAt(wb.sheets[0], 0, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(fixtures::TextOf(wb, *c), "kept in the dark");
    EXPECT_DOUBLE_EQ(fixtures::CellAt(wb.sheets[0], 1, 0)->number, 42);
}

failure::Failure ErrorOf(const std::string& bytes) {
    return failure::Of([&] { sheets::LoadWorkbookFromMemory(bytes); });
}

// An encrypted file with one of its streams replaced.
std::string WithStream(const std::string& encrypted, const char* name, const std::string& data) {
    sheets::Cfb cfb(encrypted);
    std::vector<cfbtest::Item> items;
    for (const auto& e : cfb.TopLevel()) items.push_back({e.name, e.name == name ? data : cfb.Read(e)});
    return cfbtest::Write(items).bytes;
}

}  // namespace

TEST(EncryptedPackage, TheDefaultPasswordOpensStandardAndAgileEncryption) {
    const std::string zip = Workbook();
    ExpectTheWorkbook(sheets::LoadWorkbookFromMemory(enctest::EncryptStandard(zip, u"VelvetSweatshop")));
    ExpectTheWorkbook(sheets::LoadWorkbookFromMemory(enctest::EncryptAgile(zip, u"VelvetSweatshop")));
    // The package comes back byte for byte, whatever its size against the
    // 4096-byte segments.
    for (size_t size : {size_t(1), size_t(4096), size_t(4097), size_t(10000)}) {
        std::string data(size, 'z');
        for (size_t i = 0; i < size; ++i) data[i] = char(i * 31 + i / 7);
        EXPECT_EQ(sheets::DecryptPackage(sheets::Cfb(enctest::EncryptAgile(data, u"VelvetSweatshop", 10))), data);
        EXPECT_EQ(sheets::DecryptPackage(sheets::Cfb(enctest::EncryptStandard(data, u"VelvetSweatshop"))), data);
    }
}

TEST(EncryptedPackage, AnyOtherPasswordFailsAtOnce) {
    const std::string zip = Workbook();
    EXPECT_THAT(ErrorOf(enctest::EncryptStandard(zip, u"letmein")), FailsWith(ErrorKind::Password));
    EXPECT_THAT(ErrorOf(enctest::EncryptAgile(zip, u"letmein", 1000)), FailsWith(ErrorKind::Password));
    // The reader's own password, for callers that know another one.
    EXPECT_EQ(sheets::DecryptPackage(sheets::Cfb(enctest::EncryptAgile(zip, u"letmein", 1000)), u"letmein"), zip);
}

TEST(EncryptedPackage, DamagedOrUnknownEncryptionIsRefusedWithinLimits) {
    const std::string zip = Workbook();
    const std::string agile = enctest::EncryptAgile(zip, u"VelvetSweatshop", 10);
    sheets::Cfb cfb(agile);
    const std::string info = *cfb.ReadStream("EncryptionInfo");
    auto withInfo = [&](std::string changed) { return WithStream(agile, "EncryptionInfo", changed); };
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = info;
        s.replace(s.find(from), from.size(), to);
        return withInfo(s);
    };
    // More rounds than the format allows are not spent.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT(ErrorOf(replaced("spinCount=\"10\"", "spinCount=\"4000000000\"")), FailsWith(ErrorKind::Password));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // Ciphers, chainings and hashes that are not read.
    EXPECT_THAT(ErrorOf(replaced("cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"DES\"")),
                FailsWith(ErrorKind::Password));
    EXPECT_THAT(ErrorOf(replaced("hashAlgorithm=\"SHA512\"", "hashAlgorithm=\"MD4\"")), FailsWith(ErrorKind::Password));
    // Extensible encryption (version 4.3), a stream cut short.
    EXPECT_THAT(ErrorOf(withInfo(info.substr(0, 2) + '\x03' + info.substr(3))), FailsWith(ErrorKind::Password));
    EXPECT_THAT(ErrorOf(withInfo(info.substr(0, 6))), FailsWith(ErrorKind::Password));
    // A package that states more bytes than it holds gives what it holds,
    // which is then no zip archive.
    std::string package = *cfb.ReadStream("EncryptedPackage");
    package.replace(0, 8, enctest::Le(uint64_t(1) << 40, 8));
    package.resize(1000);
    EXPECT_THAT(ErrorOf(WithStream(agile, "EncryptedPackage", package)), FailsWith(ErrorKind::Damaged));
    // A package that decrypts to something other than a zip archive.
    EXPECT_THAT(ErrorOf(enctest::EncryptAgile(std::string(5000, 'x'), u"VelvetSweatshop", 10)),
                FailsWith(ErrorKind::Damaged));
    EXPECT_THAT(ErrorOf(cfbtest::Write({{"EncryptionInfo", "x"}, {"EncryptedPackage", "y"}}).bytes),
                FailsWith(ErrorKind::Password));
}

// Decrypted, a binary package goes to the reader its content calls for.
TEST(EncryptedPackage, AnEncryptedXlsbPackageIsReadAsXlsb) {
    const auto path =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "xlsb" / "fixtures" / "any_sheets-xlsb.xlsb";
    const std::string xlsb = ReadFileText(path.string());
    const sheets::Workbook plain = sheets::LoadWorkbookFromMemory(xlsb);
    ASSERT_FALSE(plain.sheets.empty());
    for (const std::string& encrypted :
         {enctest::EncryptStandard(xlsb, u"VelvetSweatshop"), enctest::EncryptAgile(xlsb, u"VelvetSweatshop", 10)}) {
        const sheets::Workbook wb = sheets::LoadWorkbookFromMemory(encrypted);
        ASSERT_EQ(wb.sheets.size(), plain.sheets.size());
        for (size_t i = 0; i < wb.sheets.size(); ++i) {
            EXPECT_EQ(wb.sheets[i].name, plain.sheets[i].name);
            EXPECT_EQ(wb.sheets[i].rows.size(), plain.sheets[i].rows.size());
        }
        EXPECT_EQ(wb.strings.size(), plain.strings.size());
    }
}
