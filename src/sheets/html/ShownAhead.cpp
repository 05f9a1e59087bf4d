#include "sheets/html/ShownAhead.h"

#include <system_error>

namespace sheets::html {

namespace {

// Big enough that handing a chunk over costs nothing next to filling it,
// small enough that the few waiting take little memory.
constexpr size_t kChunkCells = 8192;
constexpr size_t kMaxWaiting = 2;

}  // namespace

ShownAhead::ShownAhead(const CellTexts& texts, const std::vector<const Row*>& rows, size_t minCells)
    : texts_(texts), rows_(rows) {
    size_t cells = 0;
    for (const Row* r : rows_) {
        cells += r->cells.size();
        if (cells >= minCells) break;
    }
    if (cells < minCells || rows_.empty()) return;
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No second thread to be had: every cell is shown on the writer's.
    }
}

ShownAhead::~ShownAhead() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void ShownAhead::Run() {
    try {
        for (size_t k = 0; k < rows_.size();) {
            Chunk c;
            c.firstRow = k;
            for (; k < rows_.size() && c.shown.size() < kChunkCells; ++k) {
                c.cellStart.push_back(c.shown.size());
                for (const Cell& cell : rows_[k]->cells) texts_.Show(cell, c.shown.emplace_back());
            }
            c.cellStart.push_back(c.shown.size());
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return ready_.size() < kMaxWaiting || stopping_; });
            if (stopping_) return;
            ready_.push_back(std::move(c));
            lock.unlock();
            changed_.notify_all();
        }
    } catch (const std::exception&) {
        // Out of memory here: the writer shows the rest itself, with less to hold.
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    changed_.notify_all();
}

bool ShownAhead::Reach(size_t index) {
    auto holds = [&] { return index < current_.firstRow + current_.cellStart.size() - 1; };
    if (haveCurrent_ && holds()) return index >= current_.firstRow;
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !ready_.empty() || done_; });
        if (ready_.empty()) {
            haveCurrent_ = false;
            return false;
        }
        current_ = std::move(ready_.front());
        ready_.pop_front();
        haveCurrent_ = true;
        lock.unlock();
        changed_.notify_all();
        if (holds()) return index >= current_.firstRow;
    }
}

void ShownAhead::Take(const Row& row, size_t cell, Shown& shown) {
    if (worker_.joinable()) {
        while (rowCursor_ < rows_.size() && rows_[rowCursor_]->index < row.index) ++rowCursor_;
        if (rowCursor_ < rows_.size() && rows_[rowCursor_] == &row && Reach(rowCursor_)) {
            const size_t at = current_.cellStart[rowCursor_ - current_.firstRow] + cell;
            if (at < current_.cellStart[rowCursor_ - current_.firstRow + 1]) {
                shown = current_.shown[at];
                return;
            }
        }
    }
    texts_.Show(row.cells[cell], shown);
}

}  // namespace sheets::html
