#include <gtest/gtest.h>

#include "CfbTestFile.h"
#include "sheets/Failure.h"
#include "sheets/container/Cfb.h"

using failure::FailsWith;
using failure::Succeeds;
using sheets::Cfb;
using sheets::ErrorKind;
using testing::HasSubstr;

namespace {

std::string Pattern(size_t n, char seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char(seed + i * 7 + i / 251);
    return s;
}

failure::Failure ErrorOf(const std::string& bytes) {
    return failure::Of([&] {
        Cfb cfb(bytes);
        for (const auto& e : cfb.TopLevel())
            if (e.type == Cfb::EntryType::Stream) cfb.Read(e);
    });
}

// Damage of the named structure.
auto Damaged(const char* what) { return FailsWith(ErrorKind::Damaged, HasSubstr(what)); }

}  // namespace

TEST(Cfb, ReadsRegularAndMiniStreamsInBothSectorSizes) {
    const std::string big = Pattern(10000, 'a'), small = Pattern(300, 'x');
    for (uint32_t sector : {512u, 4096u}) {
        auto f = cfbtest::Write({{"Workbook", big}, {"\x05SummaryInformation", small}, {"_VBA_PROJECT_CUR", "", true}},
                                sector);
        Cfb cfb(f.bytes);
        EXPECT_EQ(cfb.TopLevel().size(), 3u);
        EXPECT_EQ(cfb.ReadStream("Workbook"), big) << sector;
        EXPECT_EQ(cfb.ReadStream("\x05SummaryInformation"), small) << sector;
        ASSERT_NE(cfb.Find("_vba_project_cur"), nullptr);
        EXPECT_EQ(cfb.Find("_VBA_PROJECT_CUR")->type, Cfb::EntryType::Storage);
        EXPECT_FALSE(cfb.ReadStream("_VBA_PROJECT_CUR").has_value());  // a storage, not a stream
        EXPECT_FALSE(cfb.ReadStream("Book").has_value());
    }
}

TEST(Cfb, NamesAreFoundWithoutRegardToCase) {
    auto f = cfbtest::Write({{"WORKBOOK", Pattern(5000, 'q')}});
    EXPECT_TRUE(Cfb(f.bytes).ReadStream("Workbook").has_value());
    EXPECT_TRUE(sheets::CfbHasStream(f.bytes, "workbook"));
    EXPECT_FALSE(sheets::CfbHasStream(f.bytes, "EncryptedPackage"));
}

TEST(Cfb, HasStreamNeverThrows) {
    auto enc = cfbtest::Write({{"EncryptionInfo", Pattern(200, 'e')}, {"EncryptedPackage", Pattern(6000, 'p')}});
    EXPECT_TRUE(sheets::CfbHasStream(enc.bytes, "EncryptionInfo"));
    EXPECT_TRUE(sheets::CfbHasStream(enc.bytes, "EncryptedPackage"));
    EXPECT_FALSE(sheets::CfbHasStream("PK\x03\x04 not a compound file", "EncryptionInfo"));
    EXPECT_FALSE(sheets::CfbHasStream(enc.bytes.substr(0, 600), "EncryptionInfo"));
    EXPECT_FALSE(sheets::CfbHasStream("", "x"));
}

TEST(Cfb, DamagedStructuresFailWithAReadableMessage) {
    const std::string big = Pattern(6000, 'b');
    auto base = cfbtest::Write({{"Workbook", big}, {"Small", Pattern(100, 's')}});
    ASSERT_THAT(ErrorOf(base.bytes), Succeeds());

    {  // a chain that points back at its own start
        auto f = base;
        const uint32_t s = f.start[0];
        f.Put32(f.FatEntryOffset(s + 3), s);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("loops"));
    }
    {  // a chain into a sector past the end of the file
        auto f = base;
        f.Put32(f.FatEntryOffset(f.start[0] + 1), 100000);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("out of range"));
    }
    {  // a stream that claims more bytes than its chain holds
        auto f = base;
        f.Put32(f.DirEntryOffset(1) + 0x78, 0x7FFFFFFF);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("longer than its sectors"));
    }
    {  // a directory tree whose sibling points back at itself
        auto f = base;
        f.Put32(f.DirEntryOffset(2) + 0x48, 1);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("loops"));
    }
    {  // a directory sibling past the last entry
        auto f = base;
        f.Put32(f.DirEntryOffset(2) + 0x48, 5000);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("out of range"));
    }
    {  // a directory chain that loops
        auto f = base;
        f.Put32(f.FatEntryOffset(f.dirSector), f.dirSector);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("loops"));
    }
    {  // a mini chain that loops
        auto f = base;
        // Mini FAT entries sit in the sector after the directory.
        const size_t miniFat = f.SectorOffset(f.dirSector + 1);
        f.Put32(miniFat + 4 * (f.start[1] + 1), f.start[1]);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("loops"));
    }
    {  // unsupported sector size
        auto f = base;
        f.bytes[0x1E] = 20;
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("sector size"));
    }
    {  // a FAT count far beyond the file is capped, not trusted
        auto f = base;
        f.Put32(0x2C, 0xFFFFFFF0);
        EXPECT_THAT(ErrorOf(f.bytes), Succeeds());
    }
    EXPECT_THAT(ErrorOf(base.bytes.substr(0, 300)), Damaged("truncated"));
    EXPECT_THAT(ErrorOf(base.bytes.substr(0, 1024)), FailsWith(ErrorKind::Damaged));
    EXPECT_THAT(ErrorOf("not a compound file at all"), FailsWith(ErrorKind::NotAWorkbook, "Not a compound file"));
}

TEST(Cfb, LastSectorCutShortReadsAsZeros) {
    // Some writers end the file where the last stream's data ends.
    const std::string big = Pattern(4100, 'z');
    auto f = cfbtest::Write({{"Workbook", big}});
    std::string cut = f.bytes.substr(0, f.bytes.size() - 512 + 4);
    EXPECT_EQ(Cfb(cut).ReadStream("Workbook"), big);
}
