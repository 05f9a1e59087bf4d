#include "sheets/xls/ChartSheet.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/model/Chart.h"
#include "sheets/xls/Background.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/Strings.h"

namespace sheets::xls {

namespace {

constexpr uint16_t kBof = 0x0809, kEof = 0x000A;
constexpr uint16_t kChartRecord = 0x1002;  // the chart's place and size
constexpr uint16_t kText = 0x1025;  // opens a label: a title, a data label, a text box
constexpr uint16_t kSeriesText = 0x100D;
constexpr uint16_t kObjectLink = 0x1027;  // what a label belongs to
constexpr uint16_t kBegin = 0x1033, kEnd = 0x1034;
constexpr uint16_t kLinkChartTitle = 0x0001;

// No chart sheet is read past this many records: its title and size come
// first, the rest only holds the series and their formats.
constexpr size_t kMaxRecords = size_t(1) << 20;
// Larger than any sheet a spreadsheet shows (points).
constexpr double kMaxSidePoints = 8000 * 0.75;

// 16.16 fixed point, in points; 0 when absurd.
double Fixed(uint32_t v) {
    const double d = double(int32_t(v)) / 65536.0;
    return d > 0 && d <= kMaxSidePoints ? d : 0;
}

class ChartReader {
public:
    ChartReader(Book& book, Sheet& sheet, Chart& chart) : book_(book), sheet_(sheet), chart_(chart) {}

    void Read(size_t at) {
        RecordReader rr(book_.stream, at);
        Record r;
        if (!rr.Next(r) || r.type != kBof) return;
        for (size_t n = 0; n < kMaxRecords && rr.Next(r); ++n) {
            if (r.type == kEof && nested_ == 0) return;
            try {
                OnRecord(rr, r);
            } catch (const Error& e) {
                // A damaged record costs what it holds.
                if (e.Kind() != ErrorKind::Damaged) throw;
            }
        }
    }

private:
    void OnRecord(RecordReader& rr, const Record& r) {
        // The records of an embedded object's substream are its own.
        if (nested_ > 0 && r.type != kBof && r.type != kEof) return;
        switch (r.type) {
        case kBof: ++nested_; break;  // an embedded object's substream
        case kEof: --nested_; break;
        case kChartRecord:
            if (depth_ == 0 && r.data.size() >= 16) {
                Bytes b(r.data);
                b.Skip(8);  // the place, which a chart sheet does not use
                const double w = Fixed(b.U32()), h = Fixed(b.U32());
                if (w > 0 && h > 0) {
                    chart_.widthEmu = std::llround(w * 12700);
                    chart_.heightEmu = std::llround(h * 12700);
                }
            }
            break;
        case kBitmapRecord:
            if (book_.biff >= 5 && sheet_.background.data.empty()) {
                ReadBackground(rr, r.data, sheet_);
                if (sheet_.background.data.size() > book_.pictureBudget) sheet_.background = Picture{};
                book_.pictureBudget -= sheet_.background.data.size();
            }
            break;
        case kText:
            // A label begins; its records follow between the next Begin and its End.
            labelDepth_ = depth_ + 1;
            labelText_.clear();
            labelIsTitle_ = false;
            break;
        case kBegin: ++depth_; break;
        case kEnd:
            if (depth_ == labelDepth_) {
                if (labelIsTitle_ && !chart_.title.present && !labelText_.empty()) {
                    chart_.title.present = true;
                    chart_.title.runs.push_back(ChartRun{labelText_, {}});
                }
                labelDepth_ = 0;
            }
            if (depth_ > 0) --depth_;
            break;
        case kSeriesText:
            if (labelDepth_ != 0 && depth_ == labelDepth_ && r.data.size() > 3) {
                Continued in({r.data.substr(2)});
                labelText_ = ReadString(in, book_.ctx, false).text;  // 255 characters at most
            }
            break;
        case kObjectLink:
            if (labelDepth_ != 0 && depth_ == labelDepth_ && r.data.size() >= 2)
                labelIsTitle_ = Bytes(r.data).U16() == kLinkChartTitle;
            break;
        default: break;
        }
    }

    Book& book_;
    Sheet& sheet_;
    Chart& chart_;
    int nested_ = 0;
    uint32_t depth_ = 0;  // Begin records open
    uint32_t labelDepth_ = 0;  // the depth inside the label being read; 0: none
    std::string labelText_;
    bool labelIsTitle_ = false;
};

}  // namespace

void ReadChartSheet(Book& book, size_t at, Sheet& sheet) {
    auto chart = std::make_shared<Chart>();
    chart->name = sheet.name;
    chart->unsupported = kUndrawnChart;
    ChartReader(book, sheet, *chart).Read(at);
    sheet.charts.push_back(std::move(chart));
}

}  // namespace sheets::xls
