#pragma once
// A zip package read from memory, with limits so that a hostile archive
// cannot make us inflate without bound.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;

namespace sheets {

class ZipPackage {
public:
    // Largest uncompressed entry we accept, whatever its header says.
    static constexpr uint64_t kMaxEntryBytes = 512ull << 20;
    // Deflate tops out near 1032:1 and real sheets stay far below 500:1;
    // above this ratio (for entries large enough to matter) it is a bomb.
    static constexpr uint64_t kMaxRatio = 500;
    static constexpr uint64_t kRatioFloorBytes = 4ull << 20;
    // Real packages have hundreds of parts; the table of a forged one with
    // millions would cost memory before a single part is read.
    static constexpr uint64_t kMaxEntries = 100000;
    // The same limits for the package as a whole, counting every time a part
    // is read: parts within their own limits that are read again and again
    // (one part named by hundreds of sheets) must not multiply the work.
    static constexpr uint64_t kMaxPackageBytes = 2 * kMaxEntryBytes;

    // The bytes must outlive the package. An archive whose central
    // directory is damaged is read from its local entries. Throws
    // sheets::Error.
    explicit ZipPackage(std::string_view bytes);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Part names are matched without regard to case or a leading '/'.
    bool Has(std::string_view name) const;
    // The uncompressed size the archive states for an entry (0 when it has
    // none, or no such entry): a hint for choosing how to read it, never a
    // limit.
    uint64_t StatedSize(std::string_view name) const;
    // The whole entry; throws sheets::Error when missing, damaged or over
    // the limits.
    std::string Read(std::string_view name) const;
    // The entry in chunks, without holding it whole, for as long as the sink
    // answers true.
    void Stream(std::string_view name, const std::function<bool(const char*, size_t)>& sink) const;
    // The entry as stored (compression method, then the compressed bytes),
    // to recognise a part seen before without inflating it; empty when the
    // entry is missing or larger than 1 MiB as stored.
    std::string StoredBytes(std::string_view name) const;
    // Every entry name, as stored.
    std::vector<std::string> Names() const;
    // Why the central directory could not be read, when the entries were
    // found by their local headers instead; empty otherwise.
    const std::string& Damage() const { return damage_; }

    // An entry found by its local header alone; public for the scan.
    struct LocalEntry {
        std::string_view name;
        std::string_view data;  // as stored; may run on past the entry's end
        uint16_t method = 0, flags = 0;
        uint64_t size = 0;  // uncompressed, when sized
        bool sized = false;  // the header's sizes hold (no data descriptor)
    };

private:
    // What the table says of an entry.
    struct Entry {
        uint16_t method = 0;
        uint64_t comp = 0, size = 0;  // as stored; uncompressed
        bool sized = false;  // both sizes are known
        bool encrypted = false;
    };
    Entry Stat(int64_t idx, const std::string& shown) const;
    // The stored bytes of an entry straight from the archive in memory, when
    // the directory placed them; false leaves the reading to libzip.
    bool Direct(int64_t idx, uint64_t comp, std::string_view& out) const;
    int64_t Find(std::string_view name) const;
    void CountInflated(uint64_t n) const;
    void Index(std::string_view name, uint64_t entry);
    zip* archive_ = nullptr;
    std::string_view bytes_;
    std::vector<uint64_t> dataAt_;  // per libzip entry: where its stored bytes begin (all ones: unknown)
    std::vector<LocalEntry> local_;  // without a readable central directory
    std::string damage_;
    uint64_t packageBytes_ = 0;
    mutable uint64_t inflated_ = 0;  // every part read so far; one thread at a time reads a package
    // Looked up by a name already in normal form without copying it.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, uint64_t, NameHash, std::equal_to<>>
        index_;  // normalized name -> entry (the first one wins)
};

// The entries of an archive found by their local headers, in file order, at
// most `limit`; an entry whose sizes are unknown runs to the next header.
std::vector<ZipPackage::LocalEntry> ScanLocalEntries(std::string_view bytes, size_t limit);

// The normalized form used for lookups: lower case, '/' separators, no
// leading '/'.
std::string NormalizePartName(std::string_view name);

}  // namespace sheets
