#pragma once
// A comments part: the authors, then every comment with its cell and text.
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsb/Strings.h"

namespace sheets::xlsb {

// Adds the comments of the part to `out`; a comment on a cell beyond the
// sheet, or whose records are cut short, is left out.
class CommentsReader final : public RecordHandler {
public:
    explicit CommentsReader(std::vector<Comment>& out) : out_(out) {}
    bool OnRecord(const Record& r) override;

private:
    std::vector<Comment>& out_;
    std::vector<std::string> authors_;
    RunFonts noFonts_;  // the tooltip shows plain text: runs are not kept
    Comment cur_;
    bool inComment_ = false, valid_ = false;
};

}  // namespace sheets::xlsb
