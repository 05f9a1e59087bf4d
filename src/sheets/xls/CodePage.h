#pragma once
// 8-bit text of older workbooks, in the code page the workbook names.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sheets::xls {

class CodePage {
public:
    // An unknown or unsupported code page reads as Windows-1252, the code
    // page nearly every such workbook was written in.
    explicit CodePage(uint16_t id = 1252);
    uint16_t Id() const { return id_; }
    std::string ToUtf8(std::string_view bytes) const;
    // Single-byte code pages map each byte to one character.
    bool SingleByte() const { return iconvName_.empty(); }
    const std::string& Utf8Of(unsigned char b) const { return table_[b]; }

private:
    uint16_t id_;
    std::string iconvName_;  // set for multi-byte code pages, converted per string
    // The open converter for them; a reader is used by one thread at a time.
    std::shared_ptr<void> iconv_;
    // Single-byte code pages: the UTF-8 of every byte value.
    std::string table_[256];
};

}  // namespace sheets::xls
