#pragma once
#include "convert/ExcelOle.h"

namespace convert {

// The product's converter: each workbook saved as one HTML file.
class TkvQUINDLE : public TkvExcelOle {
public:
    using TkvExcelOle::TkvExcelOle;

    void ConvertNode(batch::TkvBatch& batch, batch::TkvNode& node) override;

    static constexpr int32_t kHtmlFormat = 44;
};

}  // namespace convert
