#include "sheets/xlsx/RichText.h"

#include "sheets/xlsx/ValueText.h"

namespace sheets::xlsx {

bool RichTextReader::Start(std::string_view n, Attrs a) {
    if (phonetic_) {
        ++phonetic_;
        return false;
    }
    if (inProps_) {
        ApplyFontElement(spec_, n, a);
        return false;
    }
    if (n == "t") {
        inT_ = true;
        t_.clear();
        return true;
    }
    if (n == "r") {
        inRun_ = true;
        runHasProps_ = false;
        spec_ = FontSpec{};
        runStart_ = uint32_t(out_.text.size());
    } else if (n == "rPr" && inRun_) {
        inProps_ = true;
        runHasProps_ = true;
    } else if (n == "rPh" || n == "phoneticPr") {
        phonetic_ = 1;
    }
    return false;
}

void RichTextReader::End(std::string_view n) {
    if (phonetic_) {
        --phonetic_;
        return;
    }
    if (inProps_) {
        if (n == "rPr") inProps_ = false;
        return;
    }
    if (n == "t" && inT_) {
        inT_ = false;
        DecodeEscapes(t_);
        out_.text.append(t_);
    } else if (n == "r" && inRun_) {
        inRun_ = false;
        uint32_t end = uint32_t(out_.text.size());
        // A run without properties is shown in the cell's font: no entry.
        if (runHasProps_ && end > runStart_)
            out_.runs.push_back(TextRun{runStart_, end - runStart_, fonts_.Intern(ResolveFont(spec_, colors_, base_))});
    }
}

RichString RichTextReader::Take() {
    RichString r = std::move(out_);
    out_ = RichString{};
    inRun_ = runHasProps_ = inProps_ = inT_ = false;
    phonetic_ = 0;
    return r;
}

}  // namespace sheets::xlsx
