#include "sheets/xlsx/WorkbookPart.h"

#include "sheets/Errors.h"

namespace sheets::xlsx {

namespace {

class WorkbookHandler final : public SaxHandler {
public:
    WorkbookProps props;

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
            props.sheets.push_back(std::move(e));
        } else if (depth_ == 2 && n == "workbookPr") {
            props.date1904 = AttrBool(a, "date1904", false);
        } else if (depth_ == 3 && n == "workbookView" && !sawView_) {
            sawView_ = true;
            props.activeTab = AttrInt(a, "activeTab", 0);
        }
    }
    void End(std::string_view) override { --depth_; }

private:
    int depth_ = 0;
    bool sawView_ = false;
};

[[noreturn]] void Unsupported() { throw Error(ErrorKind::Unsupported, "The .xlsb format is not supported"); }

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

std::string FindWorkbookPart(const Package& pkg) {
    const Relationship* doc = nullptr;
    auto rels = pkg.Rels("");
    for (auto& r : rels)
        if (r.type == "officeDocument" && !r.external) doc = &r;
    std::string part;
    if (doc && pkg.Has(doc->target)) part = doc->target;
    else if (pkg.Has("xl/workbook.xml")) part = "xl/workbook.xml";
    else if (pkg.Has("xl/workbook.bin")) Unsupported();
    // An archive read from what is left of it (its directory damaged) was
    // meant to be a workbook.
    else if (!pkg.Zip().Damage().empty())
        throw Error(ErrorKind::Damaged, "The workbook is damaged (" + pkg.Zip().Damage() + ")");
    else throw Error(ErrorKind::NotAWorkbook, "Not a workbook (the package has no workbook part)");
    std::string lower = NormalizePartName(part);
    if (lower.ends_with(".bin")) Unsupported();
    return part;
}

WorkbookProps ParseWorkbookPart(const Package& pkg, const std::string& part) {
    // Workbooks written by one program often carry the same workbook part
    // (the same sheet names): the last one read on this thread is
    // remembered by its stored bytes.
    thread_local std::string lastStored;
    thread_local WorkbookProps lastProps;
    std::string stored = pkg.Zip().StoredBytes(part);
    if (!stored.empty() && stored == lastStored) return lastProps;
    WorkbookHandler h;
    pkg.Parse(part, h);
    lastStored = std::move(stored);
    lastProps = h.props;
    return std::move(h.props);
}

std::vector<Relationship> WorkbookRels(const Package& pkg, const std::string& part,
                                       const std::vector<SheetEntry>& sheets) {
    std::vector<Relationship> rels;
    try {
        rels = pkg.Rels(part);
    } catch (const PasswordError&) {
        throw;
    } catch (const Error&) {
        rels = RelsFromContentTypes(pkg, sheets);
        if (rels.empty()) throw;
    }
    return rels;
}

}  // namespace sheets::xlsx
