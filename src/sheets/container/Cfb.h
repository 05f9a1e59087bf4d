#pragma once
// The compound file (OLE2 structured storage) that holds .xls workbooks and
// encrypted Office Open XML packages. Read-only, from memory. Damage costs
// only what it touches: a chain is followed as far as it is valid, a stream
// whose chain breaks is read on from the sectors after the break, and a
// stream is found by name in the directory when the tree that should lead to
// it is broken. Every chain and size is still checked against the file: no
// read leaves the buffer, no walk repeats a sector.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sheets {

// True when the bytes begin with the compound file signature.
bool IsCfb(std::string_view bytes);

// True when the compound file has an entry (stream or storage) of that name,
// compared without regard to ASCII letter case. False for bytes that are not
// a readable compound file: never throws. The loader uses it to tell an
// encrypted package ("EncryptionInfo", "EncryptedPackage") from a workbook.
bool CfbHasStream(std::string_view bytes, std::string_view name);

class Cfb {
public:
    enum class EntryType : uint8_t { Storage = 1, Stream = 2, Root = 5 };
    struct Entry {
        std::string name;  // UTF-8
        EntryType type = EntryType::Stream;
        uint32_t start = 0;
        uint64_t size = 0;
    };

    // Parses the header, the allocation tables and the directory. Throws
    // sheets::Error only when nothing of them can be read.
    explicit Cfb(std::string_view bytes);

    // The entries directly below the root storage, in directory order.
    const std::vector<Entry>& TopLevel() const { return top_; }
    // A top-level entry by name (ASCII case-insensitive); failing that, a
    // stream of that name anywhere in the directory (the tree that should
    // lead to it may be broken); nullptr when there is none.
    const Entry* Find(std::string_view name) const;
    // The contents of a stream: at most its stated size, less when its
    // chain cannot supply that much.
    std::string Read(const Entry& e) const;
    // Read(*Find(name)) for a stream; nullopt when there is no such stream.
    std::optional<std::string> ReadStream(std::string_view name) const;

private:
    void ReadHeader();
    void ReadFat();
    std::vector<uint32_t> FatSectors() const;
    void ReadDirectory();
    uint32_t FindRootSector() const;
    void ReadMiniStream(std::string_view root);
    void WalkTree(std::string_view root);
    uint64_t SizeOf(std::string_view entry) const;
    // The sectors of a chain, `want` at most. A step that leaves the table,
    // repeats a sector or lands on a marker other than the end ends the
    // chain, or, when `bridge` is set, goes on with the next sector in the
    // file that no other structure claims.
    std::vector<uint32_t> Chain(const std::vector<uint32_t>& table, uint32_t start, uint64_t want, bool bridge) const;
    std::string_view Sector(uint32_t id) const;  // empty when past the file
    std::string ReadRegular(uint32_t start, uint64_t size) const;
    std::string ReadMini(uint32_t start, uint64_t size) const;

    std::string_view bytes_;
    uint16_t major_ = 3;
    uint32_t sectorSize_ = 512;
    uint64_t sectorCount_ = 0;  // sectors wholly or partly present in the file
    std::vector<uint32_t> fat_, miniFat_;
    std::vector<bool> reserved_;  // sectors of the allocation tables and the directory
    std::string dir_;  // the directory's entries, 128 bytes each
    std::string miniStream_;
    std::vector<Entry> top_, all_;
};

}  // namespace sheets
