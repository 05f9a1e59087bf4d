// The drawing layer of binary workbooks: the first byte picks the picture
// store, a sheet's drawing, a bitmap header or an object record (its list
// of items); the rest is the input. The
// sheet's shapes are also drawn, so that whatever the records say reaches
// the page writer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "sheets/html/HtmlWriter.h"
#include "sheets/model/Shape.h"
#include "sheets/xls/OfficeArt.h"
#include "sheets/xls/SheetDrawing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        uint64_t budget = 1 << 20;
        sheets::xls::ReadBlipStore(bytes, budget);
        break;
    }
    case 1: {
        sheets::Workbook wb;
        wb.sheets.emplace_back();
        for (const auto& a : sheets::xls::ReadSheetDrawing(bytes)) {
            sheets::Shape s;
            s.from = a.from;
            s.to = a.to;
            s.x = a.x;
            s.y = a.y;
            s.w = a.w;
            s.h = a.h;
            s.rotation = a.rotation;
            s.look.fill = sheets::ChartShape::Fill::Solid;
            s.look.color = sheets::Color::Rgb(a.fill.value);
            s.geometry = a.type == sheets::xls::kFreeformType ? "path" : a.type == 3 ? "ellipse" : "rect";
            s.path = a.path;
            wb.sheets[0].shapes.push_back(std::make_shared<const sheets::Shape>(std::move(s)));
        }
        sheets::RenderHtml(wb, {});
        break;
    }
    case 2: sheets::xls::DibToBmp(bytes); break;
    default: {
        sheets::xls::ReadObject(bytes);
        sheets::xls::ListData list;
        sheets::xls::ReadListData(bytes, data[0] & 4, list);
        break;
    }
    }
    return 0;
}
