#include "sheets/xlsx/Comments.h"

#include <string>
#include <vector>

#include "sheets/xlsx/RichText.h"
#include "sheets/xlsx/ValueText.h"

namespace sheets::xlsx {

namespace {

class CommentsHandler final : public SaxHandler {
public:
    CommentsHandler(std::vector<Comment>& out) : out_(out), reader_(colors_, fonts_, base_) {}

    void Start(std::string_view n, Attrs a) override {
        ++depth_;
        if (n == "author" && depth_ == 3) {
            text_.clear();
            inAuthor_ = true;
            wantText = true;
        } else if (n == "comment" && depth_ == 3) {
            uint32_t c, r;
            const char* ref = Attr(a, "ref");
            cur_ = Comment{};
            valid_ = ref && ParseCellRef(std::string_view(ref).substr(0, std::string_view(ref).find(':')), c, r);
            if (valid_) {
                cur_.row = r;
                cur_.col = c;
            }
            int64_t author = AttrInt(a, "authorId", -1);
            if (author >= 0 && uint64_t(author) < authors_.size()) cur_.author = authors_[size_t(author)];
            inComment_ = true;
        } else if (inComment_ && depth_ > 4) {
            wantText = reader_.Start(n, a);
        }
    }
    void End(std::string_view n) override {
        if (inAuthor_ && depth_ == 3) {
            inAuthor_ = false;
            wantText = false;
            DecodeEscapes(text_);
            authors_.push_back(text_);
        } else if (inComment_ && depth_ == 3) {
            inComment_ = false;
            cur_.text = reader_.Take().text;
            if (valid_) out_.push_back(std::move(cur_));
        } else if (inComment_ && depth_ > 4) {
            reader_.End(n);
            wantText = false;
        }
        --depth_;
    }
    void Text(std::string_view t) override {
        if (inAuthor_) text_.append(t);
        else reader_.Text(t);
    }

private:
    std::vector<Comment>& out_;
    std::vector<std::string> authors_;
    ColorResolver colors_;
    std::vector<Font> fontList_;
    FontTable fonts_{fontList_};
    Font base_;
    RichTextReader reader_;
    Comment cur_;
    std::string text_;
    int depth_ = 0;
    bool inAuthor_ = false, inComment_ = false, valid_ = false;
};

}  // namespace

void ParseComments(const Package& pkg, const std::string& part, std::vector<Comment>& out) {
    CommentsHandler h(out);
    pkg.Parse(part, h);
}

}  // namespace sheets::xlsx
