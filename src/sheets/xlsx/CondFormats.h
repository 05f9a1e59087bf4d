#pragma once
// The <conditionalFormatting> elements of a worksheet part.
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

// A rule of <conditionalFormatting> that names an extension by id.
struct RuleExtId {
    std::string id;
    size_t format = 0, rule = 0;  // indices into Sheet::condFormats and its rules
};

// Fed the elements from <conditionalFormatting> (at `depth` 2) to its end.
class CondFormatReader {
public:
    CondFormatReader(const ColorResolver& colors, Sheet& sheet) : colors_(colors), sheet_(sheet) {}

    void Start(std::string_view name, Attrs a, int depth);
    void End(std::string_view name, int depth);
    void Text(std::string_view t);
    // Inside a <formula>, whose text is the rule's, or an extension's id.
    bool WantsText() const { return inFormula_ || inId_; }
    // The rules that name their details of 2010 by id.
    const std::vector<RuleExtId>& ExtIds() const { return ids_; }

private:
    void StartRule(Attrs a);
    void StartPoint(Attrs a);

    const ColorResolver& colors_;
    Sheet& sheet_;
    bool inFormula_ = false, inId_ = false;
    std::string formula_;
    std::vector<RuleExtId> ids_;
};

// A rule as the attributes of its <cfRule> describe it.
CondRule RuleOf(Attrs a);

// The icon set of an iconSet attribute ("3TrafficLights1" ...); false for unknown names.
bool IconSetOf(std::string_view name, IconSetKind& out);

}  // namespace sheets::xlsx
