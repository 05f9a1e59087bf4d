#include "sheets/xlsx/RecordStream.h"

#include <algorithm>
#include <cstring>

namespace sheets::xlsx {

namespace {

constexpr size_t npos = std::string::npos;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool EndsName(char c) { return IsSpace(c) || c == '>' || c == '/'; }

// Comments, CDATA sections, processing instructions and declarations may
// hold text that looks like a tag: no cut is made where one appears. ('<'
// is everywhere in a document, '!' and '?' are rare: they are looked for.)
bool HasHiddenMarkup(std::string_view s) {
    for (char mark : {'!', '?'})
        for (size_t i = s.find(mark, 1); i != npos; i = s.find(mark, i + 1))
            if (s[i - 1] == '<') return true;
    return false;
}

// The local part of the name starting at s[at]; nothing when the name runs
// past the end of s.
std::optional<std::string_view> NameAt(std::string_view s, size_t at) {
    size_t end = at;
    while (end < s.size() && !EndsName(s[end])) ++end;
    if (end == s.size()) return std::nullopt;
    std::string_view name = s.substr(at, end - at);
    size_t colon = name.rfind(':');
    return colon == npos ? name : name.substr(colon + 1);
}

}  // namespace

RecordStream::RecordStream(SaxHandler& handler, std::string part, std::string_view record, Limits limits)
    : handler_(handler),
      part_(std::move(part)),
      record_(record),
      limits_(limits),
      phase_(record.empty() ? Phase::Streaming : Phase::Head) {
    head_.emplace(handler_, part_);
    head_->TrackOpenElements();
}

void RecordStream::Feed(const char* data, size_t size) {
    if (handler_.finished) return;
    if (phase_ == Phase::Streaming) {
        (stream_ ? *stream_ : *head_).Feed(data, size);
        return;
    }
    held_.append(data, size);
    if (phase_ == Phase::Head) FeedHead(false);
    if (phase_ == Phase::Records) FeedRecords(false);
}

void RecordStream::Finish() {
    if (phase_ == Phase::Head) FeedHead(true);
    if (phase_ == Phase::Records) FeedRecords(true);
    if (handler_.finished) return;
    (stream_ ? *stream_ : *head_).Finish();
}

size_t RecordStream::FindRecordStart(size_t from) {
    std::string_view s(held_);
    size_t i = s.find('<', std::max(from, scanned_));
    for (; i != npos; i = s.find('<', i + 1)) {
        std::optional<std::string_view> name = NameAt(s, i + 1);
        if (!name) break;  // not all there yet
        if (*name == record_) return i;
    }
    scanned_ = i == npos ? s.size() : i;
    return npos;
}

size_t RecordStream::EndOfLastRecord(size_t from, size_t to) const {
    std::string_view s(held_.data(), to);
    for (size_t i = s.rfind("</"); i != npos && i >= from; i = i == 0 ? npos : s.rfind("</", i - 1)) {
        if (NameAt(s, i + 2) != std::optional<std::string_view>(record_)) continue;
        size_t end = s.find('>', i);
        if (end != npos) return end + 1;
    }
    return npos;
}

void RecordStream::Consume(size_t bytes) {
    const char* p = held_.data() + start_;
    const char* end = p + bytes;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))) != nullptr) {
        ++line_;
        ++p;
    }
    start_ += bytes;
    if (start_ > limits_.batchBytes && start_ * 2 > held_.size()) {
        held_.erase(0, start_);
        start_ = 0;
    }
}

void RecordStream::FeedHead(bool last) {
    // The head is everything before the first record; a hidden tag in it,
    // or none at all, and the document streams as it is.
    size_t begin = held_.compare(0, 5, "<?xml") == 0 ? held_.find("?>") : 0;
    size_t at = begin == npos ? npos : FindRecordStart(begin);
    if (at != npos && !HasHiddenMarkup(std::string_view(held_).substr(begin, at - begin))) {
        head_->Feed(held_.data(), at);
        Consume(at);
        phase_ = Phase::Records;
        return;
    }
    if (at != npos || last || held_.size() > limits_.heldBytes) StreamFrom(false);
}

void RecordStream::FeedRecords(bool last) {
    while (!handler_.finished) {
        size_t next = start_;
        while (next < held_.size() && IsSpace(held_[next])) ++next;
        // The records end where their parent does.
        if (held_.compare(next, 2, "</") == 0 && NameAt(held_, next + 2) != std::optional<std::string_view>(record_))
            return StreamFrom(true);
        size_t end = EndOfLastRecord(start_, held_.size());
        if (end == npos || (end - start_ < limits_.batchBytes && !last)) {
            if (last || held_.size() - start_ > limits_.heldBytes) StreamFrom(true);
            return;
        }
        std::string_view batch(held_.data() + start_, end - start_);
        if (HasHiddenMarkup(batch)) return StreamFrom(true);
        if (!(handler_.takesRecords ? handler_.Records(batch) : ParseFragment(batch, handler_)))
            return StreamFrom(true);
        ++batches_;
        Consume(batch.size());
    }
}

void RecordStream::StreamFrom(bool resume) {
    if (resume) {
        // Resumes between records: the elements open there are opened again,
        // unseen by the handler, so that the rest parses as it would have.
        stream_.emplace(handler_, part_);
        stream_->EnterUnseen(head_->OpenElements(), line_);
    }
    phase_ = Phase::Streaming;
    (stream_ ? *stream_ : *head_).Feed(held_.data() + start_, held_.size() - start_);
    std::string().swap(held_);
    start_ = 0;
}

}  // namespace sheets::xlsx
