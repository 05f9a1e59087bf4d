#pragma once
// A streaming parse of a document too large to hold whole, with the events
// the whole-document parse gives. Most of a large part is a long run of
// record elements (a worksheet's rows, a string table's items): those are
// cut into batches of complete records and each batch is parsed whole,
// several times faster than expat. Everything else, and anything that cannot
// be cut safely between records, streams through expat.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

class RecordStream {
public:
    struct Limits {
        size_t batchBytes = size_t(1) << 20;  // records gathered before a batch is parsed
        size_t heldBytes = size_t(8) << 20;  // held at most while looking for a record's end
    };

    // `record` is the records' local name; empty streams it all through expat.
    RecordStream(SaxHandler& handler, std::string part, std::string_view record, Limits limits);
    RecordStream(SaxHandler& handler, std::string part, std::string_view record)
        : RecordStream(handler, std::move(part), record, Limits{}) {}

    // As SaxParser's: throw sheets::Error for a damaged or unsafe document.
    void Feed(const char* data, size_t size);
    void Finish();

    // How many batches were parsed whole (the rest was streamed).
    size_t Batches() const { return batches_; }

private:
    enum class Phase { Head, Records, Streaming };
    void FeedHead(bool last);
    void FeedRecords(bool last);
    void StreamFrom(bool resume);
    size_t FindRecordStart(size_t from);
    size_t EndOfLastRecord(size_t from, size_t to) const;
    void Consume(size_t bytes);

    SaxHandler& handler_;
    std::string part_;
    std::string record_;
    Limits limits_;
    Phase phase_;
    std::string held_;  // bytes not parsed yet, from held_[start_]
    size_t start_ = 0;
    size_t scanned_ = 0;  // the head has no record start before this
    size_t batches_ = 0;
    uint64_t line_ = 1;  // the line held_[start_] is on
    std::optional<SaxParser> head_;  // parses up to the first record
    std::optional<SaxParser> stream_;  // parses from where batches stopped
};

}  // namespace sheets::xlsx
