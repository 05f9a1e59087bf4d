#include "sheets/xlsx/XlsxReader.h"

#include <algorithm>
#include <unordered_set>

#include "sheets/Errors.h"
#include "sheets/model/ChartCells.h"
#include "sheets/model/ControlLists.h"
#include "sheets/xlsx/Background.h"
#include "sheets/xlsx/BuiltinTableStyles.h"
#include "sheets/xlsx/CellImages.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/Comments.h"
#include "sheets/xlsx/Drawing.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/SharedStrings.h"
#include "sheets/xlsx/Styles.h"
#include "sheets/xlsx/Tables.h"
#include "sheets/xlsx/Theme.h"
#include "sheets/xlsx/VmlControls.h"
#include "sheets/xlsx/WorkbookPart.h"
#include "sheets/xlsx/Worksheet.h"

namespace sheets {

namespace {

using namespace xlsx;

// The memory a workbook may take, whatever its parts claim: pictures are held
// whole, cells take 16 bytes each (rows a little more), text its length.
constexpr uint64_t kPictureBudget = 256ull << 20;
constexpr uint64_t kCellBudget = 24ull << 20;
constexpr uint64_t kTextBudget = 512ull << 20;

void ReadSheetExtras(const Package& pkg, const std::string& part, const SheetRefs& refs, Sheet& sheet,
                     uint64_t& pictureBudget, const std::vector<uint32_t>& scheme) {
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
        if (r && !r->external && pkg.Has(r->target)) ParseDrawing(pkg, r->target, sheet, pictureBudget, scheme);
    }
    ControlProps props;
    for (const auto& [shapeId, relId] : refs.controls)
        if (const Relationship* r = byId.Find(relId); r && !r->external) props.emplace(shapeId, r->target);
    ReadBackground(pkg, byId, refs.backgroundRelId, sheet, pictureBudget);
    for (auto& r : rels) {
        if (r.type == "comments" && !r.external && pkg.Has(r.target)) ParseComments(pkg, r.target, sheet.comments);
        if (r.type == "vmlDrawing" && !r.external && pkg.Has(r.target))
            ReadVmlControls(pkg, r.target, sheet.shapes, props);
        if (r.type == "table" && !r.external && pkg.Has(r.target))
            ParseTablePart(pkg.Read(r.target), r.target, sheet.tables);
    }
}

}  // namespace

Workbook ReadXlsx(std::string_view bytes) {
    Package pkg(bytes);
    std::string wbPart = FindWorkbookPart(pkg);
    const WorkbookProps book = ParseWorkbookPart(pkg, wbPart);
    std::vector<Relationship> wbRels = WorkbookRels(pkg, wbPart, book.sheets);

    Workbook wb;
    wb.date1904 = book.date1904;
    wb.hasVbaProject = FindRelOfType(wbRels, "vbaProject") != nullptr || pkg.Has("xl/vbaProject.bin");

    ColorResolver colors;
    std::vector<uint32_t> scheme;
    if (const Relationship* t = FindRelOfType(wbRels, "theme"); t && !t->external && pkg.Has(t->target)) {
        scheme = ParseThemeScheme(pkg, t->target);
        colors.SetScheme(scheme);
    }
    if (const Relationship* s = FindRelOfType(wbRels, "styles"); s && !s->external && pkg.Has(s->target))
        ReadStyles(pkg, s->target, colors, wb.styles);

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
    CellImages cellImages(pkg, wbRels);
    RelIndex wbRelsById(wbRels);
    // Two sheets never share their data; a package that says so would have
    // us read (and hold, and write) one part once per sheet that names it.
    std::unordered_set<std::string> readParts;
    const SheetEntry* missing = nullptr;  // the first sheet without a part
    size_t missingCount = 0;
    for (const SheetEntry& e : book.sheets) {
        const Relationship* rel = wbRelsById.Find(e.relId);
        Sheet& sheet = wb.sheets.emplace_back();
        sheet.name = e.name;
        sheet.visibility = e.visibility;
        if (!rel || rel->external || !pkg.Has(rel->target)) {
            // A sheet whose part is gone shows empty; the others are read.
            if (!missing) missing = &e;
            ++missingCount;
            continue;
        }
        if (rel->type == "chartsheet") {
            sheet.kind = SheetKind::Chart;
            for (const Relationship& d : pkg.Rels(rel->target))
                if (d.type == "drawing" && !d.external && pkg.Has(d.target))
                    ParseDrawing(pkg, d.target, sheet, pictureBudget, scheme);
            continue;
        }
        if (rel->type == "dialogsheet") sheet.kind = SheetKind::Dialog;
        else if (rel->type == "xlMacrosheet" || rel->type == "xlIntlMacrosheet") sheet.kind = SheetKind::Macro;
        if (!readParts.insert(NormalizePartName(rel->target)).second) continue;  // the sheet stays empty
        SheetRefs refs = ParseWorksheet(pkg, rel->target, ctx, sheet);
        cellImages.Place(pkg, refs.valueMeta, sheet, pictureBudget, wb.strings);
        ReadSheetExtras(pkg, rel->target, refs, sheet, pictureBudget, scheme);
    }
    if (wb.sheets.empty()) throw Error(ErrorKind::Damaged, "The workbook is damaged (it has no sheets)");
    // Without a single sheet part there is nothing of the workbook to show.
    if (missing && missingCount == book.sheets.size())
        throw Error(ErrorKind::Damaged,
                    "The workbook is damaged (the part of sheet \"" + missing->name.substr(0, 64) + "\" is missing)");
    wb.activeSheet = uint32_t(std::clamp<int64_t>(book.activeTab, 0, int64_t(wb.sheets.size()) - 1));
    FillChartsFromCells(wb);
    FillControlLists(wb);
    AddBuiltinTableStyles(colors, wb);
    return wb;
}

}  // namespace sheets
