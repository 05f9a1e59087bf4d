#include "sheets/xlsx/Worksheet.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "sheets/Errors.h"
#include "sheets/model/Calendar.h"
#include "sheets/model/Shape.h"
#include "sheets/xlsx/CondFormats.h"
#include "sheets/xlsx/CondFormatsX14.h"
#include "sheets/xlsx/ValueText.h"

namespace sheets::xlsx {

namespace {

constexpr uint32_t kMaxRows = 1048576;
constexpr uint32_t kMaxCols = 16384;

enum class ValueType : uint8_t { Number, Shared, Bool, Error, Str, Inline, Date };

ValueType TypeOf(const char* t) {
    if (!t) return ValueType::Number;
    std::string_view s = t;
    if (s == "s") return ValueType::Shared;
    if (s == "n") return ValueType::Number;
    if (s == "str") return ValueType::Str;
    if (s == "inlineStr") return ValueType::Inline;
    if (s == "b") return ValueType::Bool;
    if (s == "e") return ValueType::Error;
    if (s == "d") return ValueType::Date;
    return ValueType::Number;
}

class SheetHandler final : public SaxHandler {
public:
    SheetHandler(SheetContext& ctx, Sheet& sheet)
        : ctx_(ctx),
          sheet_(sheet),
          inline_(ctx.colors, ctx.fonts, ctx.baseFont),
          cf_(ctx.colors, sheet),
          x14_(ctx.colors) {
        recordName = "row";
    }

    SheetRefs refs;
    bool rowsUnsorted = false;

    // The extensions' rules onto the sheet's conditional formats, once both are read.
    void ApplyExtensions() { x14_.Apply(sheet_, cf_.ExtIds()); }

    void Start(std::string_view n, Attrs a) override {
        ++depth_;
        if (skip_) return;
        if (inCell_) {
            if (n == "v") {
                inV_ = true;
                value_.clear();
                wantText = true;
            } else if (n == "is") {
                inIs_ = true;
                hasIs_ = true;
            } else if (inIs_) {
                wantText = inline_.Start(n, a);
            }
            return;
        }
        if (inData_) {
            if (n == "c") StartCell(a);
            else if (n == "row") StartRow(a);
            return;
        }
        if (inExt_) {
            x14_.Start(n, a, depth_);
            wantText = x14_.WantsText();
            return;
        }
        if (inCf_ || (depth_ == 2 && n == "conditionalFormatting")) {
            inCf_ = true;
            cf_.Start(n, a, depth_);
            wantText = cf_.WantsText();
            return;
        }
        if (depth_ == 2) {
            if (n == "sheetData") inData_ = true;
            else if (n == "sheetFormatPr") FormatPr(a);
            else if (n == "drawing") refs.drawingRelId = AttrString(a, "id");
            else if (n == "picture") refs.backgroundRelId = AttrString(a, "id");
            else if (n == "dimension") Dimension(a);
            else if (n == "extLst") inExt_ = true;
            return;
        }
        if (n == "sheetView") ++views_;
        if (n == "col") Column(a);
        else if (n == "mergeCell") {
            Range r;
            if (const char* ref = Attr(a, "ref"); ref && ParseRange(ref, r)) sheet_.merges.push_back(r);
        } else if (n == "hyperlink") {
            SheetRefs::Link l;
            const char* ref = Attr(a, "ref");
            if (!ref || !ParseRange(ref, l.range)) return;
            l.relId = AttrString(a, "id");
            l.location = AttrString(a, "location");
            l.tooltip = AttrString(a, "tooltip");
            refs.links.push_back(std::move(l));
        } else if (n == "control") {
            Control(a);
        } else if (n == "pane" && depth_ == 4 && views_ == 1) {
            Pane(a);
        } else if (n == "sheetView" && !sawView_) {
            sawView_ = true;
            sheet_.showGridLines = AttrBool(a, "showGridLines", true);
            sheet_.rightToLeft = AttrBool(a, "rightToLeft", false);
        }
    }

    void End(std::string_view n) override {
        if (skip_) {
            if (skip_ == depth_) skip_ = 0;
            --depth_;
            return;
        }
        if (inExt_) {
            x14_.End(n, depth_);
            wantText = false;
            inExt_ = depth_ > 2;
            --depth_;
            return;
        }
        if (inCf_) {
            cf_.End(n, depth_);
            wantText = false;
            inCf_ = depth_ > 2;
            --depth_;
            return;
        }
        if (inCell_) {
            if (n == "v" && inV_) {
                inV_ = false;
                wantText = false;
            } else if (n == "is" && inIs_) {
                inIs_ = false;
            } else if (inIs_) {
                inline_.End(n);
                wantText = false;
            } else if (n == "c") {
                EndCell();
            }
        } else if (inData_ && n == "sheetData") {
            inData_ = false;
        }
        --depth_;
    }

    void Text(std::string_view t) override {
        if (inV_) value_.append(t);
        else if (inCf_) cf_.Text(t);
        else if (inExt_) x14_.Text(t);
        else inline_.Text(t);
    }

private:
    // Frozen panes keep their rows and columns in view; a split that merely
    // divides the window does not.
    // Alternate content repeats a control as its fallback: the first one counts.
    void Control(Attrs a) {
        const int64_t id = AttrInt(a, "shapeId", 0);
        std::string rel = AttrString(a, "id");
        if (id <= 0 || id > UINT32_MAX || rel.empty() || refs.controls.size() >= kShapeMaxPerSheet) return;
        for (const auto& c : refs.controls)
            if (c.first == uint32_t(id)) return;
        refs.controls.emplace_back(uint32_t(id), std::move(rel));
    }

    void Pane(Attrs a) {
        const std::string state = AttrString(a, "state");
        if (state != "frozen" && state != "frozenSplit") return;
        sheet_.frozenCols = uint32_t(std::clamp<double>(AttrDouble(a, "xSplit", 0), 0, kMaxCols));
        sheet_.frozenRows = uint32_t(std::clamp<double>(AttrDouble(a, "ySplit", 0), 0, kMaxRows));
    }

    void Spend() {
        if (ctx_.cellBudget == 0)
            throw Error(ErrorKind::TooLarge, "The workbook is too large to read (too many cells)");
        --ctx_.cellBudget;
    }

    void SpendText(size_t bytes) {
        if (bytes > ctx_.textBudget)
            throw Error(ErrorKind::TooLarge, "The workbook is too large to read (too much text)");
        ctx_.textBudget -= bytes;
    }

    void FormatPr(Attrs a) {
        double h = AttrDouble(a, "defaultRowHeight", -1);
        if (std::isfinite(h) && h >= 0 && h <= 409) sheet_.defaultRowHeight = h;
        double w = AttrDouble(a, "defaultColWidth", -1);
        double base = AttrDouble(a, "baseColWidth", 8);
        if (std::isfinite(w) && w >= 0 && w <= 255) {
            sheet_.defaultColWidth = w;
        } else if (std::isfinite(base) && base >= 0 && base <= 255 && base != 8) {
            // Only the base is stated: the default adds the cell padding, five
            // pixels of a seven-pixel digit, as stored widths do.
            sheet_.defaultColWidth = base + std::floor(5.0 / 7 * 256) / 256;
        }
        sheet_.defaultRowsHidden = AttrBool(a, "zeroHeight", false);
    }

    // The stated extent sizes the row table up front; it is only a hint.
    void Dimension(Attrs a) {
        const char* ref = Attr(a, "ref");
        Range r;
        if (!ref || !ParseRange(ref, r) || !sheet_.rows.empty()) return;
        sheet_.rows.reserve(std::min<size_t>(size_t(r.row2) - r.row1 + 1, 1u << 16));
    }

    void Column(Attrs a) {
        int64_t first = AttrInt(a, "min", 0), last = AttrInt(a, "max", first);
        if (first < 1 || last < first) return;
        if (first > int64_t(kMaxCols)) return;
        last = std::min<int64_t>(last, kMaxCols);
        ColumnInfo c;
        c.first = uint32_t(first - 1);
        c.last = uint32_t(last - 1);
        double w = AttrDouble(a, "width", -1);
        if (std::isfinite(w) && w >= 0) c.width = std::min(w, 255.0);
        c.hidden = AttrBool(a, "hidden", false);
        int64_t s = AttrInt(a, "style", -1);
        if (s >= 0 && uint64_t(s) < ctx_.formatCount) c.format = int32_t(s);
        sheet_.cols.push_back(c);
    }

    void StartRow(Attrs a) {
        uint32_t index = nextRow_;
        if (const char* r = Attr(a, "r")) {
            int64_t v;
            if (!ParseInt(r, v) || v < 1)
                throw Error(ErrorKind::Damaged,
                            "The workbook is damaged (bad row number " + std::string(r).substr(0, 20) + ")");
            index = uint32_t(std::min<int64_t>(v - 1, kMaxRows));
        }
        // A row past the sheet's last one is left out with its cells; the
        // rest of the sheet is read.
        rowBeyond_ = index >= kMaxRows;
        if (rowBeyond_) return;
        Spend();
        size_t hint = sheet_.rows.empty() ? 0 : sheet_.rows.back().cells.size();
        if (!sheet_.rows.empty() && index <= sheet_.rows.back().index) rowsUnsorted = true;
        Row& row = sheet_.rows.emplace_back();
        row.index = index;
        row.cells.reserve(hint);
        double h = AttrDouble(a, "ht", -1);
        if (std::isfinite(h) && h >= 0) row.height = std::min(h, 409.5);
        row.hidden = AttrBool(a, "hidden", false);
        if (AttrBool(a, "customFormat", false)) {
            int64_t s = AttrInt(a, "s", -1);
            if (s >= 0 && uint64_t(s) < ctx_.formatCount) row.format = int32_t(s);
        }
        nextRow_ = index + 1;
        nextCol_ = 0;
        cellsUnsorted_ = false;
    }

    void StartCell(Attrs a) {
        // Read to its end, then left out (EndCell).
        inCell_ = true;
        hasIs_ = false;
        value_.clear();
        cellBeyond_ = rowBeyond_;
        if (cellBeyond_) return;
        if (sheet_.rows.empty()) {
            // A cell outside any <row>: give it the row its reference names.
            Row& row = sheet_.rows.emplace_back();
            row.index = nextRow_;
            nextRow_ = row.index + 1;
        }
        const char* ref = nullptr;
        const char* type = nullptr;
        const char* style = nullptr;
        vm_ = 0;
        for (Attrs p = a; *p; p += 2) {
            // The hot path: unprefixed one-letter names, checked without strlen.
            const char* k = *p;
            char k0 = k[0];
            if (k[1] != '\0') {
                std::string_view local = LocalName(k);
                if (local == "vm") ParseValueMeta(p[1]);
                if (local.size() != 1) continue;
                k0 = local[0];
            }
            if (k0 == 'r') ref = p[1];
            else if (k0 == 't') type = p[1];
            else if (k0 == 's') style = p[1];
        }
        uint32_t col = nextCol_;
        if (ref) {
            uint32_t r;
            bool beyond;
            if (!ParseCellRef(ref, col, r, &beyond)) {
                if (!beyond)
                    throw Error(ErrorKind::Damaged,
                                "The workbook is damaged (bad cell reference " + std::string(ref).substr(0, 20) + ")");
                // Past the sheet's last row or column: this cell is lost,
                // not the workbook.
                cellBeyond_ = true;
                return;
            }
        } else if (col >= kMaxCols) {
            cellBeyond_ = true;
            return;
        }
        type_ = TypeOf(type);
        format_ = 0;
        if (style) {
            int64_t s;
            if (ParseInt(style, s) && s > 0 && uint64_t(s) < ctx_.formatCount) format_ = uint32_t(s);
        }
        col_ = col;
        nextCol_ = col + 1;
    }

    // A value kept in the workbook's metadata (a picture in the cell); 0: none.
    void ParseValueMeta(const char* v) {
        int64_t i;
        if (ParseInt(v, i) && i > 0 && i <= int64_t(UINT32_MAX)) vm_ = uint32_t(i);
    }

    uint32_t Intern(std::string text) {
        SpendText(text.size() + sizeof(RichString));
        ctx_.strings.push_back(RichString{std::move(text), {}});
        return uint32_t(ctx_.strings.size() - 1);
    }

    uint32_t ErrorString(const std::string& text) {
        auto it = errors_.find(text);
        if (it != errors_.end()) return it->second;
        uint32_t i = Intern(text);
        errors_.emplace(text, i);
        return i;
    }

    void EndCell() {
        inCell_ = false;
        if (cellBeyond_) {
            inline_.Take();
            return;
        }
        Cell c;
        c.col = uint16_t(col_);
        c.format = format_;
        bool empty = value_.empty();
        switch (type_) {
        case ValueType::Number:
            if (empty) break;
            if (ParseDouble(value_, c.number) && std::isfinite(c.number)) {
                c.type = CellType::Number;
            } else {
                // Not a number after all: keep what the file says as text.
                c.type = CellType::String;
                c.string = Intern(value_);
            }
            break;
        case ValueType::Shared: {
            if (empty) break;
            int64_t idx;
            // A string the table does not hold: the cell shows empty.
            if (!ParseInt(value_, idx) || idx < 0 || uint64_t(idx) >= ctx_.sharedCount) break;
            c.type = CellType::String;
            c.string = uint32_t(idx);
            break;
        }
        case ValueType::Bool:
            if (empty) break;
            c.type = CellType::Bool;
            c.boolean = value_ == "1" || value_ == "true" || value_ == "TRUE";
            break;
        case ValueType::Error:
            if (empty) break;
            c.type = CellType::Error;
            c.string = ErrorString(value_);
            if (vm_) refs.valueMeta.push_back(SheetRefs::ValueMeta{sheet_.rows.back().index, col_, vm_});
            break;
        case ValueType::Str:
            // A formula's text result; an empty one still shows as a string.
            DecodeEscapes(value_);
            c.type = CellType::String;
            c.string = Intern(value_);
            break;
        case ValueType::Inline:
            if (hasIs_) {
                c.type = CellType::String;
                ctx_.strings.push_back(inline_.Take());
                SpendText(ctx_.strings.back().text.size() + sizeof(RichString) +
                          ctx_.strings.back().runs.size() * sizeof(TextRun));
                c.string = uint32_t(ctx_.strings.size() - 1);
            } else if (!empty) {
                DecodeEscapes(value_);
                c.type = CellType::String;
                c.string = Intern(value_);
            }
            break;
        case ValueType::Date:
            if (empty) break;
            if (IsoToSerial(value_, ctx_.date1904, c.number)) {
                c.type = CellType::Number;
            } else {
                c.type = CellType::String;
                c.string = Intern(value_);
            }
            break;
        }
        if (c.type == CellType::Blank && c.format == 0) return;
        Spend();
        Row& row = sheet_.rows.back();
        if (!row.cells.empty() && row.cells.back().col >= c.col) cellsUnsorted_ = rowsUnsorted = true;
        row.cells.push_back(c);
    }

    SheetContext& ctx_;
    Sheet& sheet_;
    RichTextReader inline_;
    CondFormatReader cf_;
    X14CondReader x14_;
    bool inCf_ = false;  // inside <conditionalFormatting>
    bool inExt_ = false;  // inside the worksheet's <extLst>
    int views_ = 0;  // sheet views seen; the first one is the sheet's
    std::unordered_map<std::string, uint32_t> errors_;
    std::string value_;
    int depth_ = 0, skip_ = 0;
    bool inData_ = false, inCell_ = false, inV_ = false, inIs_ = false, hasIs_ = false, sawView_ = false;
    bool cellsUnsorted_ = false;
    bool rowBeyond_ = false, cellBeyond_ = false;  // past the sheet's limits: not kept
    ValueType type_ = ValueType::Number;
    uint32_t format_ = 0, col_ = 0, nextCol_ = 0, nextRow_ = 0;
    uint32_t vm_ = 0;
};

// Rows and cells in ascending order, each position once (the last one wins,
// as when a sheet is written over).
void Normalize(Sheet& sheet) {
    auto byIndex = [](const Row& a, const Row& b) { return a.index < b.index; };
    std::stable_sort(sheet.rows.begin(), sheet.rows.end(), byIndex);
    std::vector<Row> merged;
    merged.reserve(sheet.rows.size());
    for (Row& r : sheet.rows) {
        if (!merged.empty() && merged.back().index == r.index) {
            Row& into = merged.back();
            into.cells.insert(into.cells.end(), r.cells.begin(), r.cells.end());
            if (r.height >= 0) into.height = r.height;
            into.hidden = into.hidden || r.hidden;
            if (r.format >= 0) into.format = r.format;
        } else {
            merged.push_back(std::move(r));
        }
    }
    for (Row& r : merged) {
        std::stable_sort(r.cells.begin(), r.cells.end(), [](const Cell& a, const Cell& b) { return a.col < b.col; });
        auto last =
            std::unique(r.cells.rbegin(), r.cells.rend(), [](const Cell& a, const Cell& b) { return a.col == b.col; });
        r.cells.erase(r.cells.begin(), last.base());
    }
    sheet.rows = std::move(merged);
}

void NormalizeColumns(Sheet& sheet) {
    auto& cols = sheet.cols;
    std::stable_sort(cols.begin(), cols.end(),
                     [](const ColumnInfo& a, const ColumnInfo& b) { return a.first < b.first; });
    std::vector<ColumnInfo> out;
    for (ColumnInfo c : cols) {
        if (!out.empty() && c.first <= out.back().last) {
            if (c.last <= out.back().last) continue;  // overlapped entirely: the first one holds
            c.first = out.back().last + 1;
        }
        out.push_back(c);
    }
    cols = std::move(out);
}

}  // namespace

bool ParseRange(std::string_view ref, Range& out) {
    size_t colon = ref.find(':');
    uint32_t c1, r1, c2, r2;
    if (!ParseCellRef(ref.substr(0, colon), c1, r1)) return false;
    if (colon == std::string_view::npos) {
        c2 = c1;
        r2 = r1;
    } else if (!ParseCellRef(ref.substr(colon + 1), c2, r2)) {
        return false;
    }
    out = Range{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
    return true;
}

bool IsoToSerial(std::string_view s, bool date1904, double& out) {
    auto num = [&](size_t pos, size_t len, int& v) {
        if (pos + len > s.size()) return false;
        v = 0;
        for (size_t i = pos; i < pos + len; ++i) {
            if (s[i] < '0' || s[i] > '9') return false;
            v = v * 10 + (s[i] - '0');
        }
        return true;
    };
    double days = 0, frac = 0;
    size_t t = s.find('T');
    std::string_view datePart = t == std::string_view::npos ? s : s.substr(0, t);
    std::string_view timePart = t == std::string_view::npos ? std::string_view() : s.substr(t + 1);
    if (t == std::string_view::npos && s.size() >= 5 && s[2] == ':') {
        timePart = s;
        datePart = {};
    }
    if (!datePart.empty()) {
        int y, m, d;
        if (datePart.size() != 10 || datePart[4] != '-' || datePart[7] != '-' || !num(0, 4, y) || !num(5, 2, m) ||
            !num(8, 2, d) || m < 1 || m > 12 || d < 1 || d > 31)
            return false;
        days = DateSerial(y, unsigned(m), unsigned(d), date1904);
    }
    if (!timePart.empty()) {
        size_t base = size_t(timePart.data() - s.data());
        int h, mi, sec = 0;
        if (!num(base, 2, h) || base + 2 >= s.size() || s[base + 2] != ':' || !num(base + 3, 2, mi)) return false;
        double fs = 0;
        if (base + 5 < s.size() && s[base + 5] == ':') {
            if (!num(base + 6, 2, sec)) return false;
            size_t p = base + 8;
            if (p < s.size() && s[p] == '.') {
                double scale = 0.1;
                for (++p; p < s.size() && s[p] >= '0' && s[p] <= '9'; ++p, scale /= 10) fs += (s[p] - '0') * scale;
            }
        }
        frac = (h * 3600 + mi * 60 + sec + fs) / 86400.0;
    }
    out = days + frac;
    return std::isfinite(out);
}

SheetRefs ParseWorksheet(const Package& pkg, const std::string& part, SheetContext& ctx, Sheet& sheet) {
    SheetHandler h(ctx, sheet);
    pkg.Parse(part, h);
    h.ApplyExtensions();
    if (h.rowsUnsorted) Normalize(sheet);
    NormalizeColumns(sheet);
    return std::move(h.refs);
}

}  // namespace sheets::xlsx
