// The .xlsb record layer and every part reader's record handling, without
// the package around them: the input is one record stream, cut into pieces
// of a size its first byte chooses, and every reader is given all of it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/model/Workbook.h"
#include "sheets/xlsb/Comments.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsb/Strings.h"
#include "sheets/xlsb/Styles.h"
#include "sheets/xlsb/Worksheet.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/Fonts.h"

namespace {

// Hands every record to all the readers.
struct Fan final : sheets::xlsb::RecordHandler {
    std::vector<sheets::xlsb::RecordHandler*> to;
    bool OnRecord(const sheets::xlsb::Record& r) override {
        for (auto* h : to) h->OnRecord(r);
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = 1 + data[0] % 64;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    sheets::Workbook wb;
    sheets::xlsb::StylesReader styles;
    {
        sheets::xlsb::RecordReader in(bytes);
        sheets::xlsb::Record r;
        while (in.Next(r)) styles.OnRecord(r);
    }
    sheets::xlsx::ColorResolver colors;
    styles.Resolve(colors, wb.styles);
    sheets::xlsx::FontTable fonts(wb.styles.fonts);
    const sheets::xlsb::RunFonts runFonts(std::vector<sheets::Font>(wb.styles.fonts), fonts);

    sheets::xlsb::SharedStringsReader strings(runFonts, wb.strings);
    sheets::Sheet& sheet = wb.sheets.emplace_back();
    sheets::xlsb::TextPool texts(wb.strings);
    sheets::xlsb::SheetContext ctx{runFonts, wb.strings, texts};
    ctx.sharedCount = 4;  // indices past the strings read must be refused
    ctx.formatCount = wb.styles.formats.size();
    ctx.textBudget = 64u << 20;
    sheets::xlsb::WorksheetReader worksheet(ctx, sheet);
    sheets::xlsb::CommentsReader comments(sheet.comments);
    Fan fan;
    fan.to = {&worksheet, &comments};
    sheets::xlsb::FutureRecordFilter filter(fan);
    sheets::xlsb::RecordSplitter splitter(filter);
    try {
        for (size_t at = 0; at < bytes.size(); at += piece)
            splitter.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
        worksheet.Finish();
    } catch (const sheets::Error&) {}
    sheets::xlsb::RecordReader again(bytes);
    sheets::xlsb::Record r;
    while (again.Next(r)) strings.OnRecord(r);
    return 0;
}
