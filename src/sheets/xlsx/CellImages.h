#pragma once
// Pictures that cells hold as their values. The cell names an entry of the
// workbook's value metadata; that entry names a rich value; the rich value
// names, through the rich-value relationship list (or the web-image list for
// pictures a formula fetched), the image part. Every link of the chain is an
// index the file states, so each one is checked before it is followed.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/Worksheet.h"

namespace sheets::xlsx {

// No list of the chain is read past this many entries.
constexpr size_t kCellImageMaxEntries = size_t(1) << 20;
constexpr size_t kCellImageMaxAltBytes = 4096;

struct CellImage {
    std::string part;  // the image part
    std::string description;  // the alternative text
};

// The workbook's value metadata, read from its part: for every entry (`vm` -
// 1) the rich value it stands for, -1 for entries that are no rich value.
using ValueMetadataReader = std::function<std::vector<int64_t>(const Package& pkg, const std::string& part)>;

// The value metadata part as XML.
std::vector<int64_t> ReadValueMetadataXml(const Package& pkg, const std::string& part);

class CellImages {
public:
    // Reads the chain's parts named by the workbook's relationships, the
    // value metadata with `readMetadata`. A missing or damaged part leaves
    // the cells as they are cached.
    CellImages(const Package& pkg, const std::vector<Relationship>& wbRels,
               const ValueMetadataReader& readMetadata = ReadValueMetadataXml);

    bool Empty() const { return images_.empty(); }
    // The picture of a cell's value metadata entry (`vm`, 1-based), or null.
    const CellImage* Find(uint32_t vm) const;

    // Gives the cells listed in `cells` their pictures, in place of their
    // cached error values: such a cell holds no text (an empty string, kept
    // in `strings`), yet is not empty, so a neighbour's text does not run on
    // into it. Every cell drawn costs its image's size from
    // `budget`, as the page holds the image once per cell; past it the rest
    // keep their cached values.
    void Place(const Package& pkg, const std::vector<SheetRefs::ValueMeta>& cells, Sheet& sheet, uint64_t& budget,
               std::vector<RichString>& strings);

private:
    std::vector<CellImage> images_;
    std::vector<int32_t> byVm_;  // vm - 1 -> index into images_, or -1
    std::unordered_map<std::string, std::shared_ptr<const std::string>> read_;  // part -> bytes
    int64_t noText_ = -1;  // the empty string in the workbook's strings, once needed
};

}  // namespace sheets::xlsx
