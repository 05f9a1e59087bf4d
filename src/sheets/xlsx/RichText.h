#pragma once
// Reads rich text (<si>, <is>, a comment's <text>): plain <t>, runs <r> with
// their properties <rPr>, and phonetic hints <rPh> that are left out.
#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Fonts.h"

namespace sheets::xlsx {

class RichTextReader {
public:
    RichTextReader(const ColorResolver& colors, FontTable& fonts, const Font& base)
        : colors_(colors), fonts_(fonts), base_(base) {}

    // Events inside the rich-text element (not the element itself). Start
    // returns whether text should now be delivered.
    bool Start(std::string_view name, Attrs attrs);
    void End(std::string_view name);
    void Text(std::string_view text) {
        if (inT_) t_.append(text);
    }
    // The string read so far; resets the reader.
    RichString Take();

private:
    const ColorResolver& colors_;
    FontTable& fonts_;
    const Font& base_;
    RichString out_;
    std::string t_;
    FontSpec spec_;
    bool inRun_ = false, runHasProps_ = false, inProps_ = false, inT_ = false;
    int phonetic_ = 0;
    uint32_t runStart_ = 0;
};

}  // namespace sheets::xlsx
