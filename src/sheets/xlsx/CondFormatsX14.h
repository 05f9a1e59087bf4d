#pragma once
// The conditional formats a worksheet keeps in its <extLst>, as spreadsheets
// since 2010 write them: the details of their data bars (negative bars, the
// axis, a border, the direction), tied to the <cfRule> of the same id, and
// rules that have no earlier form (icon sets with icons picked one by one,
// rules that refer to other sheets), which carry their own format.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/CondFormats.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

class X14CondReader {
public:
    explicit X14CondReader(const ColorResolver& colors) : colors_(colors) {}

    // Fed the elements below the worksheet's <extLst> (at `depth` 2) to its end.
    void Start(std::string_view name, Attrs a, int depth);
    void End(std::string_view name, int depth);
    void Text(std::string_view t);
    bool WantsText() const { return text_ != nullptr; }

    // Puts what was read into the sheet: the details onto the rules `ids`
    // name, the other rules as formats of their own.
    void Apply(Sheet& sheet, const std::vector<RuleExtId>& ids);

private:
    struct Rule {
        std::string id;
        CondRule rule;
        std::vector<std::string> values;  // the points' formulas, as written
    };
    struct Format {
        std::vector<Rule> rules;
        std::string sqref;
    };
    void StartRule(Attrs a);
    void StartBar(CondRule& r, Attrs a);
    void StartIcons(CondRule& r, Attrs a);
    void StartDiff(std::string_view n, Attrs a, int depth, DiffFormat& d);
    void EndRule(Rule& rule);

    const ColorResolver& colors_;
    std::vector<Format> formats_;
    size_t rules_ = 0;  // read so far, over all formats
    bool inFormats_ = false;  // inside <conditionalFormattings>
    int skipDepth_ = 0;  // the depth of an element not read, with all it holds; 0 none
    bool inDiff_ = false;  // inside the rule's own <dxf>
    enum class Part : uint8_t { None, Font, Fill, Border } part_ = Part::None;  // of the <dxf>
    BorderSide* side_ = nullptr;  // the border side being read
    // The current <dataBar>'s switches for its colours.
    bool border_ = false, sameFill_ = false, sameBorder_ = true;
    std::string* text_ = nullptr;  // where the current element's text goes
};

}  // namespace sheets::xlsx
