#include "sheets/xlsb/XlsbReader.h"

#include <algorithm>
#include <unordered_set>

#include "sheets/Errors.h"
#include "sheets/container/ZipDirectory.h"
#include "sheets/model/ChartCells.h"
#include "sheets/model/ControlLists.h"
#include "sheets/xlsb/Comments.h"
#include "sheets/xlsb/Metadata.h"
#include "sheets/xlsb/RecordTypes.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsb/Strings.h"
#include "sheets/xlsb/Styles.h"
#include "sheets/xlsb/Tables.h"
#include "sheets/xlsb/WorkbookPart.h"
#include "sheets/xlsb/Worksheet.h"
#include "sheets/xlsx/Background.h"
#include "sheets/xlsx/BuiltinTableStyles.h"
#include "sheets/xlsx/CellImages.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/Drawing.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/Theme.h"
#include "sheets/xlsx/VmlControls.h"

namespace sheets {

namespace {

using xlsx::FindRelOfType;
using xlsx::Package;
using xlsx::Relationship;

// The memory a workbook may take, whatever its parts claim (as for .xlsx).
constexpr uint64_t kPictureBudget = 256ull << 20;
constexpr uint64_t kTextBudget = 512ull << 20;

std::string MainPart(const Package& pkg) {
    for (const Relationship& r : pkg.Rels(""))
        if (r.type == "officeDocument" && !r.external && pkg.Has(r.target)) return r.target;
    return {};
}

bool IsBinaryPart(std::string_view part) { return NormalizePartName(part).ends_with(".bin"); }

// What the drawing parts of all sheets share: the memory their pictures and
// charts may still take, and the theme's colours.
struct DrawingContext {
    uint64_t budget = kPictureBudget;
    std::vector<uint32_t> scheme;
};

// A sheet's drawing part, pictures and charts, read by the .xlsx reader's
// drawing reader (the drawing and chart parts of a binary workbook are the
// same XML).
void ReadDrawing(const Package& pkg, const std::vector<Relationship>& rels, const std::string& relId, Sheet& sheet,
                 DrawingContext& drawings) {
    if (relId.empty()) return;
    const Relationship* r = xlsx::FindRel(rels, relId);
    if (r && !r->external && pkg.Has(r->target))
        xlsx::ParseDrawing(pkg, r->target, sheet, drawings.budget, drawings.scheme);
}

void ReadSheetExtras(const Package& pkg, const std::string& part, const xlsx::SheetRefs& refs, Sheet& sheet,
                     DrawingContext& drawings) {
    const auto rels = pkg.Rels(part);
    const xlsx::RelIndex byId(rels);
    for (const auto& l : refs.links) {
        Hyperlink h;
        h.range = l.range;
        h.location = l.location;
        h.tooltip = l.tooltip;
        if (!l.relId.empty())
            if (const Relationship* r = byId.Find(l.relId)) h.target = r->target;
        if (h.target.empty() && h.location.empty()) continue;
        sheet.links.push_back(std::move(h));
    }
    ReadDrawing(pkg, rels, refs.drawingRelId, sheet, drawings);
    xlsx::ReadBackground(pkg, byId, refs.backgroundRelId, sheet, drawings.budget);
    for (const Relationship& r : rels) {
        if (r.external || !pkg.Has(r.target)) continue;
        if (r.type == "vmlDrawing") xlsx::ReadVmlControls(pkg, r.target, sheet.shapes);  // the same part as .xlsx
        if (r.type == "table") {
            xlsb::TableReader table(sheet.tables);
            xlsb::ReadPart(pkg, r.target, table);
        }
        if (r.type != "comments") continue;
        xlsb::CommentsReader comments(sheet.comments);
        xlsb::ReadPart(pkg, r.target, comments);
    }
}

}  // namespace

bool IsXlsbPackage(std::string_view bytes) {
    // Most packages are told apart by their entry names, without opening
    // them: no binary part at all, or the usual text workbook part.
    if (const auto names = ZipEntryNames(bytes)) {
        bool binary = false;
        for (std::string_view n : *names) {
            if (n.size() <= 16 && NormalizePartName(n) == "xl/workbook.xml") return false;
            if (n.size() >= 4 && NormalizePartName(n.substr(n.size() - 4)) == ".bin") binary = true;
        }
        if (!binary) return false;
    }
    const Package pkg(bytes);
    const std::string main = MainPart(pkg);
    if (!main.empty()) return IsBinaryPart(main);
    return !pkg.Has("xl/workbook.xml") && pkg.Has("xl/workbook.bin");
}

Workbook ReadXlsb(std::string_view bytes) {
    const Package pkg(bytes);
    std::string wbPart = MainPart(pkg);
    if (wbPart.empty() || !IsBinaryPart(wbPart)) wbPart = "xl/workbook.bin";
    if (!pkg.Has(wbPart)) throw Error(ErrorKind::NotAWorkbook, "Not a workbook (the package has no workbook part)");
    xlsb::WorkbookPartReader wh;
    xlsb::ReadPart(pkg, wbPart, wh);
    const std::vector<Relationship> wbRels = pkg.Rels(wbPart);

    Workbook wb;
    wb.date1904 = wh.date1904;
    wb.hasVbaProject = FindRelOfType(wbRels, "vbaProject") != nullptr || pkg.Has("xl/vbaProject.bin");

    xlsx::ColorResolver colors;
    DrawingContext drawings;
    if (const Relationship* t = FindRelOfType(wbRels, "theme"); t && !t->external && pkg.Has(t->target)) {
        drawings.scheme = xlsx::ParseThemeScheme(pkg, t->target);
        colors.SetScheme(drawings.scheme);
    }
    if (const Relationship* s = FindRelOfType(wbRels, "styles"); s && !s->external && pkg.Has(s->target)) {
        xlsb::StylesReader styles;
        xlsb::ReadPart(pkg, s->target, styles);
        styles.Resolve(colors, wb.styles);
    }

    xlsx::FontTable fonts(wb.styles.fonts);
    const xlsb::RunFonts runFonts(std::vector<Font>(wb.styles.fonts), fonts);
    if (const Relationship* s = FindRelOfType(wbRels, "sharedStrings"); s && !s->external && pkg.Has(s->target)) {
        xlsb::SharedStringsReader strings(runFonts, wb.strings);
        xlsb::ReadPart(pkg, s->target, strings);
    }

    xlsb::TextPool texts(wb.strings);
    xlsb::SheetContext ctx{runFonts, wb.strings, texts};
    ctx.sharedCount = uint32_t(wb.strings.size());
    ctx.formatCount = wb.styles.formats.size();
    ctx.textBudget = kTextBudget;
    ctx.colors = &colors;
    std::vector<std::string> sheetNames;
    for (const int32_t tab : wh.externSheets)
        sheetNames.push_back(tab >= 0 && size_t(tab) < wh.sheets.size() ? wh.sheets[size_t(tab)].name : std::string());
    ctx.sheetNames = &sheetNames;

    xlsx::CellImages cellImages(pkg, wbRels, xlsb::ReadValueMetadata);
    const xlsx::RelIndex wbRelsById(wbRels);
    std::unordered_set<std::string> partsRead;
    uint32_t active = wh.activeTab;  // an index into the entries, until that entry's sheet is made
    for (size_t i = 0; i < wh.sheets.size(); ++i) {
        const xlsb::SheetEntry& e = wh.sheets[i];
        const Relationship* rel = wbRelsById.Find(e.relId);
        if (!rel || rel->external || !pkg.Has(rel->target))
            throw Error(ErrorKind::Damaged,
                        "The workbook is damaged (the part of sheet \"" + e.name.substr(0, 64) + "\" is missing)");
        // A second sheet on a part already read cannot be: it is left out
        // (and the part not read again, however often it is named).
        if (!partsRead.insert(NormalizePartName(rel->target)).second) continue;
        if (i == wh.activeTab) active = uint32_t(wb.sheets.size());
        Sheet& sheet = wb.sheets.emplace_back();
        sheet.name = e.name;
        sheet.visibility = e.visibility;
        if (rel->type == "chartsheet") {
            sheet.kind = SheetKind::Chart;
            xlsb::ChartSheetReader chart;
            xlsb::ReadPart(pkg, rel->target, chart);
            ReadDrawing(pkg, pkg.Rels(rel->target), chart.drawingRelId, sheet, drawings);
            continue;
        }
        if (rel->type == "dialogsheet") sheet.kind = SheetKind::Dialog;
        else if (rel->type == "xlMacrosheet" || rel->type == "xlIntlMacrosheet") sheet.kind = SheetKind::Macro;
        xlsb::WorksheetReader reader(ctx, sheet);
        xlsb::ReadPart(pkg, rel->target, reader);
        const xlsx::SheetRefs refs = reader.Finish();
        cellImages.Place(pkg, refs.valueMeta, sheet, drawings.budget, wb.strings);
        ReadSheetExtras(pkg, rel->target, refs, sheet, drawings);
    }
    if (wb.sheets.empty()) throw Error(ErrorKind::Damaged, "The workbook is damaged (it has no sheets)");
    wb.activeSheet = std::min<uint32_t>(active, uint32_t(wb.sheets.size()) - 1);
    FillChartsFromCells(wb);
    FillControlLists(wb);
    xlsx::AddBuiltinTableStyles(colors, wb);
    return wb;
}

}  // namespace sheets
