#pragma once
// The metadata part of a binary workbook, as far as pictures in cells need
// it: which rich value each value metadata entry stands for.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/xlsb/Records.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsb {

// Receives the records of the metadata part, future-record blocks included
// (the rich value of an entry is stated inside one).
class ValueMetadataReader final : public RecordHandler {
public:
    bool OnRecord(const Record& r) override;
    // For every value metadata entry (`vm` - 1) its rich value, or -1.
    std::vector<int64_t> Resolve() const;

private:
    std::vector<std::string> types_;  // metadata type names; entries count them from 1
    std::vector<int64_t> richValues_;  // the rich-value store's entries: their rich value, or -1
    struct Entry {
        int64_t type = -1, value = -1;
    };
    std::vector<Entry> entries_;
    uint32_t futureDepth_ = 0;
    bool inRichStore_ = false, inValueBlocks_ = false;
};

// Reads the part; a damaged or cut part gives what came before the damage.
std::vector<int64_t> ReadValueMetadata(const xlsx::Package& pkg, const std::string& part);

}  // namespace sheets::xlsb
