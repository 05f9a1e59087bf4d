#include "sheets/xlsx/ReadAhead.h"

#include <array>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "sheets/xlsx/EventBatch.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

namespace {

// Events are handed over once they hold this much (runs of records, the
// bulk of a large part, are handed over as parsed, one run at a time).
constexpr size_t kBatchBytes = size_t(256) << 10;
// Runs of records are cut smaller than on one thread: each waits parsed,
// which takes several times the memory of its text.
constexpr size_t kRecordBytes = size_t(256) << 10;
// Pieces parsed but not yet handled, at most.
constexpr size_t kWaitingPieces = 2;

// What is handed over at a time: the events the parser gave since the last
// piece, then a run of records parsed whole, if any.
struct Piece {
    EventBatch events;
    ParsedFragment records;
    bool hasRecords = false;

    bool Empty() const { return events.Empty() && !hasRecords; }
    void Deliver(SaxHandler& handler) const {
        events.Replay(handler);
        if (hasRecords && !handler.finished) records.Deliver(handler);
    }
    void Clear() {
        events.Clear();
        records.Clear();
        hasRecords = false;
    }
};

// The pieces between the two threads. Handing one over never allocates,
// so that the end of the reading, and an error, always get through.
class Channel {
public:
    // False once the handling side has stopped listening.
    bool Push(std::unique_ptr<Piece>& piece) {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return stopped_ || count_ < kWaitingPieces; });
        if (stopped_) return false;
        slots_[(first_ + count_++) % kWaitingPieces] = std::move(piece);
        lock.unlock();
        ready_.notify_one();
        return true;
    }
    // The reading has ended, with `error` when it failed.
    void Close(std::exception_ptr error) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            error_ = std::move(error);
        }
        ready_.notify_one();
    }
    // The next piece; null once the reading has ended and every piece was
    // taken, then `error` is how it ended.
    std::unique_ptr<Piece> Pop(std::exception_ptr& error) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return count_ > 0 || closed_; });
        if (count_ == 0) {
            error = error_;
            return nullptr;
        }
        std::unique_ptr<Piece> piece = std::move(slots_[first_]);
        first_ = (first_ + 1) % kWaitingPieces;
        --count_;
        lock.unlock();
        room_.notify_one();
        return piece;
    }
    // A handled piece, emptied, goes back to the reading side for reuse.
    // Every piece in play is kept: a new one would grow its event lists
    // again from nothing, copying them at every step, on the thread that
    // sets the pace.
    void Recycle(std::unique_ptr<Piece> piece) {
        piece->Clear();
        std::lock_guard<std::mutex> lock(mutex_);
        if (spares_.size() < kWaitingPieces + 2) spares_.push_back(std::move(piece));
    }
    std::unique_ptr<Piece> Spare() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!spares_.empty()) {
                std::unique_ptr<Piece> piece = std::move(spares_.back());
                spares_.pop_back();
                return piece;
            }
        }
        return std::make_unique<Piece>();
    }
    size_t Waiting() {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        room_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable room_, ready_;
    std::array<std::unique_ptr<Piece>, kWaitingPieces> slots_;  // guarded by mutex_
    size_t first_ = 0, count_ = 0;  // guarded by mutex_
    bool stopped_ = false, closed_ = false;  // guarded by mutex_
    std::exception_ptr error_;  // guarded by mutex_
    std::vector<std::unique_ptr<Piece>> spares_;  // guarded by mutex_
};

// Stands in for the real handler on the reading thread: keeps every event
// (every text too: whether the handler wants one is known only when it gets
// there) and passes them on in batches.
class Recorder final : public SaxHandler {
public:
    Recorder(std::string_view records, Channel& channel) : channel_(channel), piece_(std::make_unique<Piece>()) {
        recordName = records;
        wantText = true;
        takesRecords = true;
    }

    void Start(std::string_view name, Attrs attrs) override {
        piece_->events.Start(name, attrs);
        if (piece_->events.Bytes() >= kBatchBytes) Pass();
    }
    void End(std::string_view name) override {
        piece_->events.End(name);
        if (piece_->events.Bytes() >= kBatchBytes) Pass();
    }
    void Text(std::string_view text) override {
        piece_->events.Text(text);
        if (piece_->events.Bytes() >= kBatchBytes) Pass();
    }
    // The bulk of a large part, handed over parsed. Laying out its events
    // here spares the handling side a walk through the parsed document, at
    // a little more than the walk costs: worth it only while the handling
    // side is behind, with pieces waiting, and not when it waits itself.
    bool Records(std::string_view xml) override {
        if (!piece_->records.Load(xml, channel_.Waiting() > 0)) return false;
        piece_->hasRecords = true;
        Pass();
        return true;
    }

    // Passes on what is left at the end.
    void Flush() {
        if (!finished && piece_ && !piece_->Empty()) Pass();
    }

private:
    void Pass() {
        if (!channel_.Push(piece_)) finished = true;  // nobody listens: stop reading
        if (!piece_) piece_ = channel_.Spare();
    }

    Channel& channel_;
    std::unique_ptr<Piece> piece_;
};

}  // namespace

void ParseAhead(const ZipPackage& zip, std::string_view part, SaxHandler& handler) {
    Channel channel;
    std::thread reader;
    try {
        reader = std::thread([&zip, part, &channel, records = handler.recordName] {
            std::exception_ptr error;
            try {
                Recorder recorder(records, channel);
                try {
                    StreamPart(zip, part, recorder, kRecordBytes);
                } catch (...) {
                    error = std::current_exception();
                }
                recorder.Flush();
            } catch (...) {
                if (!error) error = std::current_exception();
            }
            channel.Close(std::move(error));
        });
    } catch (const std::system_error&) {
        return StreamPart(zip, part, handler);
    }
    // However the handler ends, the reader stops before the package and the
    // handler it uses go away.
    struct Join {
        Channel& channel;
        std::thread& reader;
        ~Join() {
            channel.Stop();
            reader.join();
        }
    } join{channel, reader};
    std::exception_ptr error;
    while (std::unique_ptr<Piece> piece = channel.Pop(error)) {
        piece->Deliver(handler);
        if (handler.finished) return;
        channel.Recycle(std::move(piece));
    }
    if (error) std::rethrow_exception(error);
}

}  // namespace sheets::xlsx
