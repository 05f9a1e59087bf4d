#pragma once
// Rich strings (shared strings, comment texts, rich cells) and the shared
// string table.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsx/Fonts.h"

namespace sheets::xlsb {

// Rich-text runs name the fonts of the styles part by index; the model's
// font table may hold the same font at an earlier index, which is the one
// the .xlsx reader would give it.
class RunFonts {
public:
    RunFonts() = default;
    RunFonts(const std::vector<Font>& styleFonts, xlsx::FontTable& table);
    // The model's index of a styles-part font; false for none.
    bool Find(uint32_t ifnt, uint32_t& out) const;

private:
    std::vector<uint32_t> map_;
};

// A RichStr: flags, the text, the runs when rich; the phonetic part that
// may follow is left out. False when the structure is not whole (then `out`
// is unspecified). Runs naming a font that does not exist are dropped: that
// text shows in the cell's font.
bool ReadRichStr(Payload& in, const RunFonts& fonts, RichString& out);

// The plain texts the sheets hold themselves (text cells, formula
// results), each distinct one once: writers that do not share strings
// repeat the same few texts in every row.
class TextPool {
public:
    // Texts are added to `strings` after the ones there now.
    explicit TextPool(std::vector<RichString>& strings);
    // The index of this text in the strings; `added` tells whether it is new.
    uint32_t Intern(std::string_view text, bool& added);

private:
    struct Hash {
        using is_transparent = void;
        const std::vector<RichString>* strings;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
        size_t operator()(uint32_t i) const { return (*this)((*strings)[i].text); }
    };
    struct Equal {
        using is_transparent = void;
        const std::vector<RichString>* strings;
        std::string_view Text(std::string_view s) const { return s; }
        std::string_view Text(uint32_t i) const { return (*strings)[i].text; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return Text(a) == Text(b);
        }
    };
    std::vector<RichString>& strings_;
    std::unordered_set<uint32_t, Hash, Equal> index_;  // positions in strings_
};

// Appends every string of a shared-strings part to `out`. A damaged item
// stays as an empty string, so that the indices after it hold.
class SharedStringsReader final : public RecordHandler {
public:
    SharedStringsReader(const RunFonts& fonts, std::vector<RichString>& out) : fonts_(fonts), out_(out) {}
    bool OnRecord(const Record& r) override;

private:
    const RunFonts& fonts_;
    std::vector<RichString>& out_;
};

}  // namespace sheets::xlsb
