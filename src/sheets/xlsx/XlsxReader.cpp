#include "sheets/xlsx/XlsxReader.h"

#include <algorithm>

#include "sheets/Errors.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/Comments.h"
#include "sheets/xlsx/Drawing.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/SharedStrings.h"
#include "sheets/xlsx/Styles.h"
#include "sheets/xlsx/Theme.h"
#include "sheets/xlsx/Worksheet.h"

namespace sheets {

namespace {

using namespace xlsx;

// The memory a workbook may take, whatever its parts claim: pictures are held
// whole, cells take 16 bytes each (rows a little more), text its length.
constexpr uint64_t kPictureBudget = 256ull << 20;
constexpr uint64_t kCellBudget = 24ull << 20;
constexpr uint64_t kTextBudget = 512ull << 20;

struct SheetEntry {
    std::string name, relId;
    Visibility visibility = Visibility::Visible;
};

class WorkbookHandler final : public SaxHandler {
public:
    std::vector<SheetEntry> sheets;
    int64_t activeTab = 0;
    bool date1904 = false;

    void Start(std::string_view n, Attrs a) override {
        ++depth_;
        if (depth_ == 3 && n == "sheet") {
            SheetEntry e;
            e.name = AttrString(a, "name");
            e.relId = AttrString(a, "id");
            const char* st = Attr(a, "state");
            std::string_view s = st ? st : "";
            e.visibility = s == "hidden"       ? Visibility::Hidden
                           : s == "veryHidden" ? Visibility::VeryHidden
                                               : Visibility::Visible;
            sheets.push_back(std::move(e));
        } else if (depth_ == 2 && n == "workbookPr") {
            date1904 = AttrBool(a, "date1904", false);
        } else if (depth_ == 3 && n == "workbookView" && !sawView_) {
            sawView_ = true;
            activeTab = AttrInt(a, "activeTab", 0);
        }
    }
    void End(std::string_view) override { --depth_; }

private:
    int depth_ = 0;
    bool sawView_ = false;
};

[[noreturn]] void Unsupported() { throw Error("The .xlsb format is not supported"); }

std::string WorkbookPart(const Package& pkg) {
    const Relationship* doc = nullptr;
    auto rels = pkg.Rels("");
    for (auto& r : rels)
        if (r.type == "officeDocument" && !r.external) doc = &r;
    std::string part;
    if (doc && pkg.Has(doc->target)) part = doc->target;
    else if (pkg.Has("xl/workbook.xml")) part = "xl/workbook.xml";
    else if (pkg.Has("xl/workbook.bin")) Unsupported();
    else throw Error("Not a workbook (the package has no workbook part)");
    std::string lower = NormalizePartName(part);
    if (lower.ends_with(".bin")) Unsupported();
    return part;
}

void ReadSheetExtras(const Package& pkg, const std::string& part, const SheetRefs& refs, Sheet& sheet,
                     uint64_t& pictureBudget) {
    auto rels = pkg.Rels(part);
    RelIndex byId(rels);
    for (auto& l : refs.links) {
        Hyperlink h;
        h.range = l.range;
        h.location = l.location;
        h.tooltip = l.tooltip;
        if (!l.relId.empty()) {
            if (const Relationship* r = byId.Find(l.relId)) h.target = r->target;
        }
        if (h.target.empty() && h.location.empty()) continue;
        sheet.links.push_back(std::move(h));
    }
    if (!refs.drawingRelId.empty()) {
        const Relationship* r = byId.Find(refs.drawingRelId);
        if (r && !r->external && pkg.Has(r->target)) ParseDrawing(pkg, r->target, sheet.pictures, pictureBudget);
    }
    for (auto& r : rels)
        if (r.type == "comments" && !r.external && pkg.Has(r.target)) ParseComments(pkg, r.target, sheet.comments);
}

// The workbook's relationships are damaged: find its parts by their declared
// content types instead, as far as that is unambiguous (one part of each kind,
// and one worksheet part for a workbook of one sheet).
std::vector<Relationship> RelsFromContentTypes(const Package& pkg, const std::vector<SheetEntry>& sheets) {
    std::vector<Relationship> rels;
    auto one = [&](std::string_view suffix, const char* type) {
        auto parts = pkg.PartsOfType(suffix);
        if (parts.size() == 1) rels.push_back(Relationship{"", type, parts[0], false});
    };
    one(".sharedStrings+xml", "sharedStrings");
    one(".styles+xml", "styles");
    one(".theme+xml", "theme");
    auto worksheets = pkg.PartsOfType(".worksheet+xml");
    if (sheets.size() != 1 || worksheets.size() != 1) return {};
    rels.push_back(Relationship{sheets[0].relId, "worksheet", worksheets[0], false});
    return rels;
}

}  // namespace

Workbook ReadXlsx(std::string_view bytes) {
    Package pkg(bytes);
    std::string wbPart = WorkbookPart(pkg);
    WorkbookHandler wh;
    pkg.Parse(wbPart, wh);

    std::vector<Relationship> wbRels;
    try {
        wbRels = pkg.Rels(wbPart);
    } catch (const PasswordError&) {
        throw;
    } catch (const Error&) {
        wbRels = RelsFromContentTypes(pkg, wh.sheets);
        if (wbRels.empty()) throw;
    }

    Workbook wb;
    wb.date1904 = wh.date1904;
    wb.hasVbaProject = FindRelOfType(wbRels, "vbaProject") != nullptr || pkg.Has("xl/vbaProject.bin");

    ColorResolver colors;
    if (const Relationship* t = FindRelOfType(wbRels, "theme"); t && !t->external && pkg.Has(t->target))
        colors.SetScheme(ParseThemeScheme(pkg, t->target));
    if (const Relationship* s = FindRelOfType(wbRels, "styles"); s && !s->external && pkg.Has(s->target))
        ParseStyles(pkg.Read(s->target), s->target, colors, wb.styles);

    FontTable fonts(wb.styles.fonts);
    // Run fonts are appended to the table, so the default font is copied.
    const Font baseFont = wb.styles.fonts.front();
    if (const Relationship* s = FindRelOfType(wbRels, "sharedStrings"); s && !s->external && pkg.Has(s->target))
        ParseSharedStrings(pkg, s->target, colors, fonts, baseFont, wb.strings);

    SheetContext ctx{colors, fonts, baseFont, wb.strings};
    ctx.sharedCount = uint32_t(wb.strings.size());
    ctx.formatCount = wb.styles.formats.size();
    ctx.date1904 = wb.date1904;
    ctx.cellBudget = kCellBudget;
    ctx.textBudget = kTextBudget;

    uint64_t pictureBudget = kPictureBudget;
    RelIndex wbRelsById(wbRels);
    for (const SheetEntry& e : wh.sheets) {
        const Relationship* rel = wbRelsById.Find(e.relId);
        if (!rel || rel->external || !pkg.Has(rel->target))
            throw Error("The workbook is damaged (the part of sheet \"" + e.name.substr(0, 64) + "\" is missing)");
        Sheet& sheet = wb.sheets.emplace_back();
        sheet.name = e.name;
        sheet.visibility = e.visibility;
        if (rel->type == "chartsheet") {
            sheet.kind = SheetKind::Chart;
            continue;
        }
        if (rel->type == "dialogsheet") sheet.kind = SheetKind::Dialog;
        else if (rel->type == "xlMacrosheet" || rel->type == "xlIntlMacrosheet") sheet.kind = SheetKind::Macro;
        SheetRefs refs = ParseWorksheet(pkg, rel->target, ctx, sheet);
        ReadSheetExtras(pkg, rel->target, refs, sheet, pictureBudget);
    }
    if (wb.sheets.empty()) throw Error("The workbook is damaged (it has no sheets)");
    wb.activeSheet = uint32_t(std::clamp<int64_t>(wh.activeTab, 0, int64_t(wb.sheets.size()) - 1));
    return wb;
}

}  // namespace sheets
