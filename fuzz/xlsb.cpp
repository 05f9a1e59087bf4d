// The whole .xlsb path through the loader. A zip archive is read as it is;
// any other input becomes the parts of a package (split at "\n--\n": the
// first sheet, the styles, the shared strings, a comments part, and, when
// given, the workbook part and the metadata part), so that most of the
// effort goes into the records rather than the archive. The rich values the
// metadata leads to, and the images of the cells and of the background, are
// fixed.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/Loader.h"

namespace {

void Put16(std::string& b, uint32_t v) {
    b.push_back(char(v & 0xFF));
    b.push_back(char(v >> 8 & 0xFF));
}

void Put32(std::string& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A zip archive of stored entries.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out, dir;
    for (const auto& entry : entries) {
        const std::string& name = entry.first;
        const std::string& data = entry.second;
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
        const uint32_t at = uint32_t(out.size());
        auto header = [&](std::string& b, bool central) {
            Put32(b, central ? 0x02014B50 : 0x04034B50);
            if (central) Put16(b, 20);
            Put16(b, 20);
            Put16(b, 0);
            Put16(b, 0);  // stored
            Put32(b, 0);
            Put32(b, crc);
            Put32(b, uint32_t(data.size()));
            Put32(b, uint32_t(data.size()));
            Put16(b, uint16_t(name.size()));
            Put16(b, 0);
            if (central) {
                Put16(b, 0);
                Put16(b, 0);
                Put16(b, 0);
                Put32(b, 0);
                Put32(b, at);
            }
            b += name;
        };
        header(out, false);
        out += data;
        header(dir, true);
    }
    const uint32_t dirAt = uint32_t(out.size());
    out += dir;
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, uint16_t(entries.size()));
    Put16(out, uint16_t(entries.size()));
    Put32(out, uint32_t(dir.size()));
    Put32(out, dirAt);
    Put16(out, 0);
    return out;
}

// A workbook part naming one visible sheet, "S", at relationship rId1.
std::string OneSheetWorkbook() {
    std::string bundle;  // state, tab id, relationship id, name
    Put32(bundle, 0);
    Put32(bundle, 1);
    Put32(bundle, 4);
    bundle += std::string(
        "r\0I\0d\0"
        "1\0",
        8);
    Put32(bundle, 1);
    bundle += std::string("S\0", 2);
    // Types and sizes in 7-bit groups: BrtBeginBook (131), BrtBundleSh (156), BrtEndBook (132).
    return std::string("\x83\x01\x00", 3) + std::string("\x9C\x01", 2) + char(bundle.size()) + bundle +
           std::string("\x84\x01\x00", 3);
}

std::string Package(const std::vector<std::string>& parts) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const std::string open = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    auto r = [&](const char* id, const char* type, const char* target) {
        return std::string("<Relationship Id=\"") + id + "\" Type=\"" + rel + type + "\" Target=\"" + target + "\"/>";
    };
    auto part = [&](size_t i) { return i < parts.size() ? parts[i] : std::string(); };
    const std::string ms = "http://schemas.microsoft.com/office/";
    auto msr = [&](const char* id, const char* type, const char* target) {
        return std::string("<Relationship Id=\"") + id + "\" Type=\"" + ms + type + "\" Target=\"" + target + "\"/>";
    };
    return Zip({
        {"_rels/.rels", open + r("rId1", "officeDocument", "xl/workbook.bin") + "</Relationships>"},
        {"xl/_rels/workbook.bin.rels",
         open + r("rId1", "worksheet", "worksheets/sheet1.bin") + r("rId2", "styles", "styles.bin") +
             r("rId3", "sharedStrings", "sharedStrings.bin") + r("rId4", "sheetMetadata", "metadata.bin") +
             msr("rId5", "2022/10/relationships/richValueRel", "richData/richValueRel.xml") +
             msr("rId6", "2017/06/relationships/rdRichValue", "richData/rdrichvalue.xml") +
             msr("rId7", "2017/06/relationships/rdRichValueStructure", "richData/rdrichvaluestructure.xml") +
             "</Relationships>"},
        {"xl/worksheets/_rels/sheet1.bin.rels", open + r("rId1", "comments", "../comments1.bin") +
                                                    r("rId2", "image", "../media/image1.png") + "</Relationships>"},
        {"xl/metadata.bin", part(5)},
        {"xl/richData/rdrichvaluestructure.xml",
         "<rvStructures><s t=\"_localImage\"><k n=\"_rvRel:LocalImageIdentifier\" t=\"i\"/></s></rvStructures>"},
        {"xl/richData/rdrichvalue.xml", "<rvData><rv s=\"0\"><v>0</v></rv><rv s=\"0\"><v>1</v></rv></rvData>"},
        {"xl/richData/richValueRel.xml",
         "<richValueRels xmlns:r=\"" + rel.substr(0, rel.size() - 1) + "\"><rel r:id=\"i1\"/></richValueRels>"},
        {"xl/richData/_rels/richValueRel.xml.rels",
         open + r("i1", "image", "../media/image1.png") + "</Relationships>"},
        {"xl/media/image1.png", "\x89PNG\r\n\x1a\n"},
        {"xl/workbook.bin", parts.size() > 4 ? parts[4] : OneSheetWorkbook()},
        {"xl/worksheets/sheet1.bin", part(0)},
        {"xl/styles.bin", part(1)},
        {"xl/sharedStrings.bin", part(2)},
        {"xl/comments1.bin", part(3)},
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string wrapped;
    if (!bytes.starts_with("PK")) {
        std::vector<std::string> parts;
        for (size_t from = 0;;) {
            const size_t cut = bytes.find("\n--\n", from);
            parts.emplace_back(bytes.substr(from, cut == std::string_view::npos ? std::string_view::npos : cut - from));
            if (cut == std::string_view::npos || parts.size() == 6) break;
            from = cut + 4;
        }
        wrapped = Package(parts);
        bytes = wrapped;
    }
    try {
        sheets::Workbook wb = sheets::LoadWorkbookFromMemory(bytes);
        (void)wb;
    } catch (const sheets::Error&) {}
    return 0;
}
