#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "sheets/html/SheetRows.h"

namespace sheets::html {
namespace {

// Below this many rows a sheet is written on one thread: a second one would
// not pay for itself, and small workbooks never start it.
constexpr uint32_t kSideBySideRows = 16384;
// Rows written in turn first: they hand out the classes and rules the rest
// of a plain sheet mostly reuses.
constexpr uint32_t kLeadRows = 512;
// Rows per chunk, and chunks written ahead of the one handed on next at most
// (which bounds the memory they hold).
constexpr uint32_t kChunkRows = 1024, kWindow = 8;

// What one sheet's rows share beyond the style sheet: a sheet with merges,
// comments, tables or column formats carries state from row to row, and is
// written on one thread.
bool Plain(const SheetState& s) {
    return s.merges.empty() && s.comments.empty() && s.tables.Empty() && s.styledCols.empty();
}

// Chunks of rows written ahead of their turn, on this thread and a helper,
// each taking the next chunk as it gets free, while this thread hands the
// chunks on in order. A chunk that needs what only the writer in turn may
// make (FrozenMiss), or that failed, is written again in turn, with the
// helper paused and the style sheet thawed meanwhile.
class AheadChunks {
public:
    AheadChunks(SheetState& s, const Axis& rows, const Axis& cols, uint32_t first, uint32_t end)
        : s_(s), rows_(rows), cols_(cols), first_(first), count_((end - first) / kChunkRows), next_(0) {}

    // Writes the chunks to `out` in order through `inTurn`; the rows from
    // Rows() on are left to the caller. False, having written nothing, when
    // no helper thread can be had.
    bool Write(RowWriter& inTurn, std::string& out);
    uint32_t Rows() const { return first_ + count_ * kChunkRows; }

private:
    enum class State : uint8_t { Pending, Written, Missed };
    struct Slot {
        std::string text;
        State state = State::Pending;
    };

    void Help();
    // Claims the next chunk to write ahead, or returns false; `lock` held.
    bool Claim(uint32_t& chunk);
    void WriteChunk(uint32_t chunk);
    void Settle(uint32_t chunk, RowWriter& inTurn, std::string& out);
    void Stop();

    SheetState& s_;
    const Axis& rows_;
    const Axis& cols_;
    const uint32_t first_, count_;
    std::thread helper_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Slot slots_[kWindow];  // chunk k in k % kWindow; its state guarded by mutex_, its text owned by its writer
    uint32_t next_;  // guarded by mutex_: the first chunk nobody has claimed
    uint32_t settled_ = 0;  // guarded by mutex_: chunks handed on
    bool paused_ = false, stop_ = false, helperBusy_ = false;  // guarded by mutex_
};

bool AheadChunks::Claim(uint32_t& chunk) {
    if (paused_ || stop_ || next_ >= count_ || next_ >= settled_ + kWindow) return false;
    chunk = next_++;
    return true;
}

void AheadChunks::WriteChunk(uint32_t chunk) {
    Slot& slot = slots_[chunk % kWindow];
    slot.text.clear();
    RowWriter writer(s_, rows_, cols_, slot.text, true);
    const uint32_t from = first_ + chunk * kChunkRows;
    State state = State::Written;
    try {
        for (uint32_t u = from; u < from + kChunkRows; ++u) writer.WriteRow(u);
    } catch (...) {
        state = State::Missed;  // FrozenMiss, or a failure the writer in turn meets again
    }
    std::lock_guard<std::mutex> lock(mutex_);
    slot.state = state;
    changed_.notify_all();
}

void AheadChunks::Help() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        uint32_t chunk;
        changed_.wait(lock, [&] { return stop_ || Claim(chunk); });
        if (stop_) return;
        helperBusy_ = true;
        lock.unlock();
        WriteChunk(chunk);
        lock.lock();
        helperBusy_ = false;
        changed_.notify_all();
    }
}

void AheadChunks::Settle(uint32_t chunk, RowWriter& inTurn, std::string& out) {
    Slot& slot = slots_[chunk % kWindow];
    if (slot.state == State::Written) {
        out += slot.text;
        if (s_.doc.drain && out.size() >= kDrainAt) s_.doc.drain(out);
    } else {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            paused_ = true;
            changed_.wait(lock, [&] { return !helperBusy_; });
        }
        s_.doc.styles.Freeze(false);
        const uint32_t from = first_ + chunk * kChunkRows;
        for (uint32_t u = from; u < from + kChunkRows; ++u) inTurn.WriteRow(u);
        s_.doc.styles.Freeze(true);
        std::lock_guard<std::mutex> lock(mutex_);
        paused_ = false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    slot.state = State::Pending;
    ++settled_;
    changed_.notify_all();
}

void AheadChunks::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    helper_.join();
    s_.doc.styles.Freeze(false);
}

bool AheadChunks::Write(RowWriter& inTurn, std::string& out) {
    s_.doc.styles.Freeze(true);
    try {
        helper_ = std::thread([this] { Help(); });
    } catch (const std::system_error&) {
        s_.doc.styles.Freeze(false);
        return false;
    }
    // However this ends, the helper stops before the rows it reads go away.
    struct Stopper {
        AheadChunks& chunks;
        ~Stopper() { chunks.Stop(); }
    } stopper{*this};
    for (uint32_t chunk = 0; chunk < count_; ++chunk) {
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (slots_[chunk % kWindow].state != State::Pending && chunk < next_) break;
            uint32_t mine;
            if (Claim(mine)) {
                lock.unlock();
                WriteChunk(mine);
                continue;
            }
            changed_.wait(lock);
        }
        Settle(chunk, inTurn, out);
    }
    return true;
}

}  // namespace

void WriteRows(SheetState& s, const Axis& rows, const Axis& cols, std::string& out) {
    RowWriter inTurn(s, rows, cols, out, false);
    const uint32_t n = static_cast<uint32_t>(rows.Units().size());
    uint32_t u = 0;
    if (n >= kSideBySideRows && Plain(s) && std::thread::hardware_concurrency() > 1) {
        for (; u < kLeadRows; ++u) inTurn.WriteRow(u);
        AheadChunks chunks(s, rows, cols, u, n);
        if (chunks.Write(inTurn, out)) u = chunks.Rows();
    }
    for (; u < n; ++u) inTurn.WriteRow(u);
}

}  // namespace sheets::html
