#include "sheets/xlsb/Comments.h"

#include "sheets/xlsb/RecordTypes.h"
#include "sheets/xlsb/Worksheet.h"

namespace sheets::xlsb {

bool CommentsReader::OnRecord(const Record& r) {
    Payload in(r.data);
    switch (r.type) {
    case rt::CommentAuthor: {
        std::string name = in.WideString();
        authors_.push_back(in.Ok() ? std::move(name) : std::string());
        break;
    }
    case rt::BeginComment: {
        const uint32_t author = in.U32();
        Range at;
        cur_ = Comment{};
        valid_ = ReadRange(in, at);
        inComment_ = true;
        cur_.row = at.row1;
        cur_.col = at.col1;
        if (author < authors_.size()) cur_.author = authors_[author];
        break;
    }
    case rt::CommentText: {
        RichString text;
        if (!inComment_) break;
        if (ReadRichStr(in, noFonts_, text)) cur_.text = std::move(text.text);
        else valid_ = false;
        break;
    }
    case rt::EndComment:
        if (inComment_ && valid_) out_.push_back(std::move(cur_));
        inComment_ = false;
        break;
    default: break;
    }
    return true;
}

}  // namespace sheets::xlsb
