// Feeds arbitrary bytes, in pieces, to the parser of large parts (batches of
// records parsed whole, the rest streamed), with limits small enough that
// every path is taken: any input must parse or fail with sheets::Error. The
// batches go to the handler as events, or parsed ahead and delivered later
// (laid out at once or walked then), as on the reading thread of a large part.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sheets/Errors.h"
#include "sheets/xlsx/RecordStream.h"

namespace {
class Sink final : public sheets::xlsx::SaxHandler {
public:
    explicit Sink(int way) : layOut_(way == 2) { takesRecords = way != 0; }
    bool Records(std::string_view xml) override {
        if (!run_.Load(xml, layOut_)) return false;
        run_.Deliver(*this);
        return true;
    }
    void Start(std::string_view name, sheets::xlsx::Attrs) override { wantText = name == "v" || name == "t"; }
    void End(std::string_view) override { wantText = false; }
    void Text(std::string_view text) override { seen += text.size(); }
    size_t seen = 0;

private:
    sheets::xlsx::ParsedFragment run_;
    bool layOut_;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = 1 + data[0] % 97;
    const char* xml = reinterpret_cast<const char*>(data + 1);
    --size;
    Sink sink(data[0] / 97 % 3);
    try {
        sheets::xlsx::RecordStream s(sink, "part", "row", {32, 1024});
        for (size_t at = 0; at < size; at += piece) s.Feed(xml + at, std::min(piece, size - at));
        s.Finish();
    } catch (const sheets::Error&) {}
    return 0;
}
