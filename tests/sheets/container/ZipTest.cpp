// The zip container's limits against archives that inflate without bound.
#include <gtest/gtest.h>

#include <cstring>

#include "sheets/Failure.h"
#include "sheets/container/Zip.h"
#include "sheets/xlsx/XlsxFixtures.h"

using namespace sheets;

namespace {

// Rewrites every stored uncompressed size of `name` (local header and
// central directory) to `size`, as a forged archive would.
void ForgeSize(std::string& zip, const std::string& name, uint32_t size) {
    auto put = [&](size_t at) {
        for (int i = 0; i < 4; ++i) zip[at + size_t(i)] = char((size >> (8 * i)) & 0xFF);
    };
    for (size_t pos = 0; (pos = zip.find(name, pos)) != std::string::npos; pos += name.size()) {
        if (pos >= 30 && std::memcmp(zip.data() + pos - 30, "PK\3\4", 4) == 0) put(pos - 30 + 22);
        if (pos >= 46 && std::memcmp(zip.data() + pos - 46, "PK\1\2", 4) == 0) put(pos - 46 + 24);
    }
}

}  // namespace

TEST(ZipLimits, ReadsEntriesByNormalizedName) {
    std::string bytes = fixtures::Zip({{"Dir/Part.XML", "content"}, {"other", ""}});
    ZipPackage z(bytes);
    EXPECT_TRUE(z.Has("/dir/part.xml"));
    EXPECT_EQ(z.Read("dir\\PART.xml"), "content");
    EXPECT_EQ(z.Read("other"), "");
    EXPECT_FALSE(z.Has("dir"));
    EXPECT_THAT(failure::Of([&] { z.Read("missing"); }), failure::FailsWith(ErrorKind::Damaged));
}

TEST(ZipLimits, BombsAreRefusedWhateverTheHeadersSay) {
    std::string zeros(8u << 20, '\0');
    std::string bomb = fixtures::Zip({{"xl/worksheets/sheet1.xml", zeros}});
    zeros.clear();
    zeros.shrink_to_fit();
    {
        ZipPackage z(bomb);
        try {
            z.Read("xl/worksheets/sheet1.xml");
            FAIL() << "a bomb was read";
        } catch (const Error& e) {
            EXPECT_EQ(e.Kind(), ErrorKind::Unsafe) << e.what();
        }
    }
    // The header claims a tiny entry; the data says otherwise.
    ForgeSize(bomb, "xl/worksheets/sheet1.xml", 100);
    try {
        ZipPackage z(bomb);
        size_t seen = 0;
        z.Stream("xl/worksheets/sheet1.xml", [&](const char*, size_t n) {
            seen += n;
            return true;
        });
        FAIL() << "a forged bomb was read (" << seen << " bytes)";
    } catch (const Error& e) {
        SUCCEED() << e.what();
    }
}

TEST(ZipLimits, CompressibleButSaneEntriesRead) {
    std::string text;
    for (int i = 0; text.size() < (6u << 20); ++i)
        text += "<c r=\"A" + std::to_string(i) + "\"><v>" + std::to_string(i * 7) + "</v></c>";
    std::string bytes = fixtures::Zip({{"a.xml", text}});
    ZipPackage z(bytes);
    EXPECT_EQ(z.Read("a.xml"), text);
}

TEST(ZipLimits, ArchivesDeclaringMillionsOfPartsAreRefused) {
    // A zip64 end record claiming a billion entries, its locator, the end record.
    std::string z(56 + 20 + 22, '\0');
    auto put = [&](size_t at, uint64_t v, int n) {
        for (int i = 0; i < n; ++i) z[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    std::memcpy(z.data(), "PK\6\6", 4);
    put(32, 1000000000, 8);
    std::memcpy(z.data() + 56, "PK\6\7", 4);
    put(56 + 8, 0, 8);
    std::memcpy(z.data() + 76, "PK\5\6", 4);
    put(76 + 10, 0xFFFF, 2);
    try {
        ZipPackage p(z);
        FAIL() << "opened";
    } catch (const Error& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::Unsafe) << e.what();
    }
}

// Parts within their own limits, read again and again, count against the
// package as a whole: the work stays bounded whatever names them how often.
TEST(ZipLimits, RereadingPartsIsBoundedForThePackage) {
    std::string rows;
    for (int i = 0; rows.size() < (3u << 20); ++i) rows += "<row r=\"" + std::to_string(i) + "\"/>";
    const std::string bytes = fixtures::Zip({{"xl/worksheets/sheet1.xml", rows}});
    ZipPackage z(bytes);
    int reads = 0;
    try {
        for (; reads < 10000; ++reads) z.Read("xl/worksheets/sheet1.xml");
        FAIL() << "read without bound";
    } catch (const Error& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::Unsafe) << e.what();
    }
    // Each read alone is sane, and several are still allowed.
    EXPECT_GE(reads, 2);
    EXPECT_LE(uint64_t(reads) * rows.size(), ZipPackage::kMaxRatio * bytes.size() + rows.size());
}
