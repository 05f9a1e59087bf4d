// Compiling a code and choosing the section that shows a value.
#include "sheets/numfmt/NumberFormat.h"

#include <cmath>

#include "sheets/numfmt/FormatCode.h"

namespace sheets {
namespace {

using numfmt::Section;
using numfmt::Tok;

// Shown for dates a spreadsheet cannot display (negative, or past the year
// 9999): it fills the cell with '#', and a fixed run of them reads the same.
constexpr std::string_view kNoDate = "########";

class GeneralFormat final : public NumberFormat {
public:
    Formatted Format(double v, bool) const override {
        Formatted r;
        numfmt::RenderGeneral(v, r.text);
        return r;
    }
    Formatted FormatText(std::string_view t) const override {
        Formatted r;
        r.text = t;
        return r;
    }
    bool IsDate() const override { return false; }
};

class CodeFormat final : public NumberFormat {
public:
    explicit CodeFormat(std::vector<Section> sections) : sections_(std::move(sections)) {
        for (size_t i = 0; i < sections_.size(); ++i) {
            if (i == 3 || sections_[i].hasAt) {
                if (text_ < 0) text_ = int(i);
                if (i == 3) text_ = 3;
            } else if (numeric_.size() < 3) {
                numeric_.push_back(int(i));
            }
        }
        for (int i : numeric_) {
            if (sections_[size_t(i)].cmp != numfmt::Cmp::None) conditional_ = true;
            if (sections_[size_t(i)].date) isDate_ = true;
        }
        if (!numeric_.empty()) isDate_ = sections_[size_t(numeric_[0])].date;
    }

    Formatted Format(double v, bool date1904) const override {
        Formatted r;
        if (!std::isfinite(v)) {
            r.text = "#NUM!";
            return r;
        }
        bool showSign = true;
        const Section* s = Pick(v, showSign);
        if (!s) {
            if (text_ >= 0 && numeric_.empty()) {
                // Only a text section: numbers keep their General look, in its colour.
                r.color = sections_[size_t(text_)].color;
                RenderTextSection(sections_[size_t(text_)], nullptr, v, r);
            } else {
                numfmt::RenderGeneral(v, r.text);
            }
            return r;
        }
        r.color = s->color;
        r.isDateOrTime = s->date;
        size_t fillAt = std::string::npos;
        double mag = std::fabs(v);
        if (s->date) {
            double serial = (showSign || v >= 0) ? v : mag;
            if (serial < 0 && date1904) {
                // The 1904 system shows a negative serial (a negative time,
                // mostly) as its magnitude with a minus sign.
                r.text += '-';
                serial = -serial;
            }
            if (!numfmt::RenderDate(*s, serial, date1904, r.text, &fillAt)) {
                r.text = kNoDate;
                return r;
            }
            SetFill(*s, fillAt, r);
            return r;
        }
        if (showSign && v < 0) r.text += '-';
        numfmt::RenderNumber(*s, mag, r.text, &fillAt);
        SetFill(*s, fillAt, r);
        return r;
    }

    Formatted FormatText(std::string_view text) const override {
        Formatted r;
        if (text_ < 0) {
            r.text = text;
            return r;
        }
        const Section& s = sections_[size_t(text_)];
        r.color = s.color;
        RenderTextSection(s, &text, 0, r);
        return r;
    }

    bool IsDate() const override { return isDate_; }

private:
    // The section for a number; nullptr for none (General takes over).
    const Section* Pick(double v, bool& showSign) const {
        size_t n = numeric_.size();
        if (n == 0) return nullptr;
        auto at = [&](size_t k) { return &sections_[size_t(numeric_[k])]; };
        if (!conditional_) {
            showSign = n == 1;
            if (v > 0 || n == 1) return at(0);
            if (v < 0) return at(1);
            return n >= 3 ? at(2) : at(0);
        }
        // With conditions, sections are tried in order; one without a
        // condition takes whatever the earlier ones left.
        for (size_t k = 0; k < n; ++k) {
            const Section* s = at(k);
            if (s->Matches(v)) {
                showSign = !(s->cmp != numfmt::Cmp::None && s->NegativeOnly());
                return s;
            }
        }
        return nullptr;
    }

    static void RenderTextSection(const Section& s, const std::string_view* text, double v, Formatted& r) {
        size_t fillAt = std::string::npos;
        for (const auto& t : s.tokens) {
            if (t.kind == Tok::Text) {
                if (text) r.text += *text;
                else numfmt::RenderGeneral(v, r.text);
            } else if (t.kind == Tok::Fill) {
                numfmt::MarkFill(r.text, &fillAt);
            } else {
                r.text += t.text;
            }
        }
        SetFill(s, fillAt, r);
    }

    static void SetFill(const Section& s, size_t fillAt, Formatted& r) {
        if (fillAt == std::string::npos) return;
        r.fill = s.FillChar();
        r.fillAt = fillAt;
    }

    std::vector<Section> sections_;
    std::vector<int> numeric_;  // sections for numbers, in order (at most three)
    int text_ = -1;  // the section for text, or -1
    bool conditional_ = false;
    bool isDate_ = false;
};

bool IsGeneral(std::string_view code) {
    if (code.size() != 7) return false;
    static constexpr std::string_view kGeneral = "general";
    for (size_t i = 0; i < 7; ++i) {
        char c = code[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != kGeneral[i]) return false;
    }
    return true;
}

}  // namespace

std::shared_ptr<const NumberFormat> NumberFormat::Compile(std::string_view code) {
    if (code.empty() || IsGeneral(code)) return std::make_shared<GeneralFormat>();
    auto sections = numfmt::ParseCode(code);
    if (sections.empty()) return std::make_shared<GeneralFormat>();
    for (const auto& s : sections)
        if (s.malformed) return std::make_shared<GeneralFormat>();
    return std::make_shared<CodeFormat>(std::move(sections));
}

}  // namespace sheets
