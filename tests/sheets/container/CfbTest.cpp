#include <gtest/gtest.h>

#include <optional>
#include <string>

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

namespace {

// What a damaged file still gives: `name`'s stream, or nullopt.
std::optional<std::string> StreamOf(const std::string& bytes, const char* name) { return Cfb(bytes).ReadStream(name); }

}  // namespace

TEST(Cfb, BrokenChainsAreReadAsFarAsTheyGoAndBridgedToTheSectorsAfter) {
    const std::string big = Pattern(6000, 'b'), small = Pattern(300, 's');
    auto base = cfbtest::Write({{"Workbook", big}, {"Small", small}});
    ASSERT_THAT(ErrorOf(base.bytes), Succeeds());
    // Streams are written in consecutive sectors, as writers do: a broken
    // link goes on with the next sector that no table or directory holds.
    {  // a chain that points back at its own start
        auto f = base;
        f.Put32(f.FatEntryOffset(f.start[0] + 3), f.start[0]);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
    {  // a chain into a sector past the end of the file
        auto f = base;
        f.Put32(f.FatEntryOffset(f.start[0] + 1), 100000);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
    {  // a chain into the allocation table itself
        auto f = base;
        f.Put32(f.FatEntryOffset(f.start[0] + 5), f.fatSector);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
    {  // a mini chain that loops
        auto f = base;
        const size_t miniFat = f.SectorOffset(f.dirSector + 1);  // the sector after the directory
        f.Put32(miniFat + 4 * (f.start[1] + 1), f.start[1]);
        EXPECT_EQ(StreamOf(f.bytes, "Small"), small);
    }
    {  // a chain ended early by the table: the file says so, nothing is added
        auto f = base;
        f.Put32(f.FatEntryOffset(f.start[0] + 2), 0xFFFFFFFE);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big.substr(0, 3 * 512));
    }
    {  // a stream that claims more than the file holds reads what there is
        auto f = base;
        f.Put32(f.DirEntryOffset(1) + 0x78, 0x7FFFFFFF);
        auto s = StreamOf(f.bytes, "Workbook");
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->substr(0, big.size()), big);
        EXPECT_LE(s->size(), f.bytes.size());
    }
    {  // a FAT sector past the end of the file: its part of the table is unknown
        auto f = base;
        f.Put32(0x4C, 90000);
        EXPECT_THAT(ErrorOf(f.bytes), Succeeds());
    }
}

TEST(Cfb, StreamsAreFoundByNameWhenTheDirectoryIsDamaged) {
    const std::string big = Pattern(6000, 'w');
    auto base = cfbtest::Write({{"Other", Pattern(5000, 'o')}, {"Workbook", big}, {"Third", Pattern(4500, 't')}});
    {  // a sibling link past the last entry: the tree loses that branch only
        auto f = base;
        f.Put32(f.DirEntryOffset(1) + 0x48, 5000);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
        EXPECT_EQ(Cfb(f.bytes).TopLevel().size(), 1u);
    }
    {  // a tree that loops
        auto f = base;
        f.Put32(f.DirEntryOffset(2) + 0x48, 1);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
    {  // the root names no child at all
        auto f = base;
        f.Put32(f.DirEntryOffset(0) + 0x4C, 0xFFFFFFFF);
        EXPECT_TRUE(Cfb(f.bytes).TopLevel().empty());
        EXPECT_EQ(StreamOf(f.bytes, "workbook"), big);
    }
    {  // the header's directory start names a table sector: the directory is
        // found where a sector begins with the root entry
        auto f = base;
        f.Put32(0x30, f.fatSector);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
    {  // a directory chain that loops keeps the sectors before the loop
        auto f = base;
        f.Put32(f.FatEntryOffset(f.dirSector), f.dirSector);
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
    {  // no root anywhere: the entries are still found by name
        auto f = base;
        f.bytes[f.DirEntryOffset(0)] = 'X';
        f.bytes[f.DirEntryOffset(0) + 0x42] = 0;
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
    {  // a header whose sector size disagrees with its version
        auto f = base;
        f.bytes[0x1E] = 20;
        EXPECT_EQ(StreamOf(f.bytes, "Workbook"), big);
    }
}

TEST(Cfb, LimitsHoldOnHostileStructures) {
    const std::string big = Pattern(6000, 'h');
    auto base = cfbtest::Write({{"Workbook", big}, {"Small", Pattern(100, 's')}});
    {  // every table entry points at itself: each chain is one sector, bridges go forward only
        auto f = base;
        const uint32_t per = 512 / 4;
        for (uint32_t i = 0; i < per; ++i) f.Put32(f.FatEntryOffset(i), i);
        EXPECT_THAT(ErrorOf(f.bytes), Succeeds());
    }
    {  // a FAT count far beyond the file is capped, not trusted
        auto f = base;
        f.Put32(0x2C, 0xFFFFFFF0);
        EXPECT_THAT(ErrorOf(f.bytes), Succeeds());
    }
    {  // a DIFAT chain that loops
        auto f = base;
        f.Put32(0x44, f.fatSector);
        f.Put32(0x48, 1);
        EXPECT_THAT(ErrorOf(f.bytes), Succeeds());
    }
    {  // sizes of 4 GiB: nothing is read past the file
        auto f = base;
        f.Put32(f.DirEntryOffset(0) + 0x78, 0xFFFFFFFF);
        f.Put32(f.DirEntryOffset(1) + 0x78, 0xFFFFFFFF);
        f.Put32(f.DirEntryOffset(2) + 0x78, 3000);
        Cfb cfb(f.bytes);
        for (const auto& e : cfb.TopLevel()) EXPECT_LE(cfb.Read(e).size(), f.bytes.size());
    }
    EXPECT_THAT(ErrorOf(base.bytes.substr(0, 300)), Damaged("truncated"));
    {  // no allocation table at all
        auto f = base;
        f.Put32(0x4C, 0xFFFFFFFF);
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("allocation table"));
    }
    {  // a version that fixes no sector size, and a size field that names none
        auto f = base;
        f.bytes[0x1A] = 7;
        f.bytes[0x1E] = 20;
        EXPECT_THAT(ErrorOf(f.bytes), Damaged("sector size"));
    }
    EXPECT_THAT(ErrorOf("not a compound file at all"), FailsWith(ErrorKind::NotAWorkbook, "Not a compound file"));
}

TEST(Cfb, LastSectorCutShortReadsAsZeros) {
    // Some writers end the file where the last stream's data ends.
    const std::string big = Pattern(4100, 'z');
    auto f = cfbtest::Write({{"Workbook", big}});
    std::string cut = f.bytes.substr(0, f.bytes.size() - 512 + 4);
    EXPECT_EQ(Cfb(cut).ReadStream("Workbook"), big);
}
