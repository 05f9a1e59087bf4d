#pragma once
// The compound file (OLE2 structured storage) that holds .xls workbooks and
// encrypted Office Open XML packages. Read-only, from memory; every chain and
// size is checked against the file, so a damaged or hostile file gives a
// sheets::Error and never reads outside the buffer or loops.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sheets {

// True when the bytes begin with the compound file signature.
bool IsCfb(std::string_view bytes);

// True when the compound file has a top-level entry (stream or storage) of
// that name, compared without regard to ASCII letter case. False for bytes
// that are not a readable compound file: never throws. The loader uses it to
// tell an encrypted package ("EncryptionInfo", "EncryptedPackage") from a
// workbook.
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
    // sheets::Error when they are damaged.
    explicit Cfb(std::string_view bytes);

    // The entries directly below the root storage, in directory order.
    const std::vector<Entry>& TopLevel() const { return top_; }
    // A top-level entry by name (ASCII case-insensitive), or nullptr.
    const Entry* Find(std::string_view name) const;
    // The contents of a stream. Throws sheets::Error for a damaged chain.
    std::string Read(const Entry& e) const;
    // Read(*Find(name)) for a stream; nullopt when there is no such stream.
    std::optional<std::string> ReadStream(std::string_view name) const;

private:
    std::vector<uint32_t> Chain(const std::vector<uint32_t>& table, uint32_t start) const;
    std::string_view Sector(uint32_t id) const;
    std::string ReadRegular(uint32_t start, uint64_t size) const;
    std::string ReadMini(uint32_t start, uint64_t size) const;

    std::string_view bytes_;
    uint32_t sectorSize_ = 512;
    uint32_t miniSectorSize_ = 64;
    uint32_t miniCutoff_ = 4096;
    uint64_t sectorCount_ = 0;  // sectors wholly or partly present in the file
    std::vector<uint32_t> fat_, miniFat_;
    std::string miniStream_;
    std::vector<Entry> top_;
};

}  // namespace sheets
