// The zip container's limits against archives that inflate without bound,
// and what it reads of an archive whose directory is damaged.
#include <gtest/gtest.h>
#include <zlib.h>

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
    EXPECT_TRUE(z.Has("\\\\Dir\\Part.xml"));
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

TEST(ZipLimits, PartsAreReadWhereTheDirectoryPlacesThem) {
    const std::string big(300000, 'w');
    std::string bytes = fixtures::Zip({{"a.xml", "<a>first</a>"}, {"b.xml", big}, {"c.xml", "<c/>"}, {"empty", ""}});
    ZipPackage z(bytes);
    EXPECT_EQ(z.Read("a.xml"), "<a>first</a>");
    EXPECT_EQ(z.Read("b.xml"), big);
    EXPECT_EQ(z.Read("c.xml"), "<c/>");
    EXPECT_EQ(z.Read("empty"), "");
    const std::string stored = z.StoredBytes("b.xml");
    ASSERT_GT(stored.size(), 2u);
    EXPECT_NE(bytes.find(stored.substr(2)), std::string::npos);
    // A directory entry that places its part where no local header is: the
    // part is damaged, the others still read.
    size_t at = 0;
    while ((at = bytes.find("PK\1\2", at)) != std::string::npos && bytes.compare(at + 46, 5, "c.xml") != 0) ++at;
    ASSERT_NE(at, std::string::npos);
    std::string misplaced = bytes;
    misplaced.replace(at + 42, 4, std::string("\1\0\0\0", 4));
    ZipPackage m(misplaced);
    EXPECT_THAT(failure::Of([&] { m.Read("c.xml"); }), failure::FailsWith(ErrorKind::Damaged));
    EXPECT_EQ(m.Read("b.xml"), big);
    EXPECT_TRUE(m.StoredBytes("c.xml").empty());
}

namespace {

// A local entry as a streaming writer makes it: sizes after the data, in a
// data descriptor, when `descriptor` is set.
std::string LocalEntry(const std::string& name, const std::string& data, bool deflated, bool descriptor) {
    std::string stored = data;
    if (deflated) {
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        stored.assign(deflateBound(&z, uLong(data.size())), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = uInt(data.size());
        z.next_out = reinterpret_cast<Bytef*>(stored.data());
        z.avail_out = uInt(stored.size());
        deflate(&z, Z_FINISH);
        stored.resize(z.total_out);
        deflateEnd(&z);
    }
    std::string h(30, '\0');
    auto put = [](std::string& s, size_t at, uint64_t v, int n) {
        for (int i = 0; i < n; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    std::memcpy(h.data(), "PK\3\4", 4);
    put(h, 4, 20, 2);
    put(h, 6, descriptor ? 8 : 0, 2);
    put(h, 8, deflated ? 8 : 0, 2);
    put(h, 14, crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())), 4);
    put(h, 18, descriptor ? 0 : stored.size(), 4);
    put(h, 22, descriptor ? 0 : data.size(), 4);
    put(h, 26, name.size(), 2);
    std::string out = h + name + stored;
    if (descriptor) {
        std::string d(16, '\0');
        std::memcpy(d.data(), "PK\7\10", 4);
        put(d, 4, crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())), 4);
        put(d, 8, stored.size(), 4);
        put(d, 12, data.size(), 4);
        out += d;
    }
    return out;
}

}  // namespace

TEST(ZipRecovery, ADamagedDirectoryLeavesTheLocalEntriesToRead) {
    const std::string big(200000, 'q');
    std::string bytes = fixtures::Zip({{"a.xml", "<a>first</a>"}, {"Dir/B.xml", big}, {"c.bin", "stored"}});
    // The central directory's headers overwritten, then the end record cut off.
    std::string damaged = bytes;
    for (size_t at = 0; (at = damaged.find("PK\1\2", at)) != std::string::npos;) damaged.replace(at, 4, "XXXX");
    for (const std::string& b : {damaged, bytes.substr(0, bytes.size() - 10), bytes.substr(0, bytes.find("PK\1\2"))}) {
        ZipPackage z(b);
        EXPECT_FALSE(z.Damage().empty());
        EXPECT_EQ(z.Names(), (std::vector<std::string>{"a.xml", "Dir/B.xml", "c.bin"}));
        EXPECT_EQ(z.Read("a.xml"), "<a>first</a>");
        EXPECT_EQ(z.Read("dir/b.xml"), big);
        EXPECT_EQ(z.Read("c.bin"), "stored");
        EXPECT_FALSE(z.StoredBytes("a.xml").empty());
    }
    EXPECT_TRUE(ZipPackage(bytes).Damage().empty());
}

TEST(ZipRecovery, EntriesSizedOnlyAfterTheirData) {
    const std::string text(5000, 'x');
    const std::string bytes = LocalEntry("d.xml", text, true, true) + LocalEntry("s.txt", "plain", false, true) +
                              LocalEntry("last.xml", "<end/>", true, false);
    ZipPackage z(bytes);
    EXPECT_EQ(z.Read("d.xml"), text);
    EXPECT_EQ(z.Read("s.txt"), "plain");
    EXPECT_EQ(z.Read("last.xml"), "<end/>");
    // Not sized, so no fingerprint is taken of it.
    EXPECT_TRUE(z.StoredBytes("d.xml").empty());
}

TEST(ZipRecovery, TheLimitsHoldForRecoveredEntries) {
    // A bomb behind a lying local header, without a directory.
    const std::string zeros(8u << 20, '\0');
    std::string bomb = LocalEntry("x.xml", zeros, true, false);
    bomb.replace(22, 4, std::string("\x64\0\0\0", 4));  // claims 100 bytes
    ZipPackage z(bomb);
    EXPECT_THAT(failure::Of([&] { z.Read("x.xml"); }), testing::Not(failure::Succeeds()));
    // Headers that run past the end, a name past the end: nothing is read
    // out of bounds, and with nothing found the archive is damaged.
    std::string cut = LocalEntry("name.xml", "data", false, false).substr(0, 33);
    EXPECT_THAT(failure::Of([&] { ZipPackage p(cut); }), failure::FailsWith(ErrorKind::Damaged));
    std::string lying = LocalEntry("n.xml", "data", false, false);
    lying.replace(18, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    ZipPackage l(lying);
    EXPECT_THAT(failure::Of([&] { l.Read("n.xml"); }), failure::Succeeds());
    // So many entries that the table would be a danger.
    std::string many;
    for (uint64_t i = 0; i <= ZipPackage::kMaxEntries; ++i) many += LocalEntry("e", "", false, false);
    EXPECT_THAT(failure::Of([&] { ZipPackage p(many); }), failure::FailsWith(ErrorKind::Unsafe));
}
