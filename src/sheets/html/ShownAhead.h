#pragma once
// What the cells of a large sheet show, worked out on a second thread ahead
// of the rows being written.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "sheets/html/CellText.h"

namespace sheets::html {

// Putting values through their number formats is the larger part of writing
// a big sheet's rows, and it depends on nothing the writer decides: a second
// thread does it row by row ahead of the writer, which only takes the texts.
// The rows are those of SheetGeometry::Rows(), in that order; at most a few
// chunks of rows wait, so memory stays bounded whatever the sheet's size.
class ShownAhead {
public:
    // Sheets with fewer cells are shown on the writer's thread: for them a
    // thread would cost more than it saves.
    static constexpr size_t kMinCells = 20000;

    // Starts working when the rows hold at least `minCells` cells; Take()
    // then falls back to the writer's own thread for whatever it cannot serve.
    ShownAhead(const CellTexts& texts, const std::vector<const Row*>& rows, size_t minCells = kMinCells);
    ~ShownAhead();
    ShownAhead(const ShownAhead&) = delete;
    ShownAhead& operator=(const ShownAhead&) = delete;

    // What cells[`cell`] of `row` shows. The rows must be asked for in their
    // order (a row may be skipped; within a row, cells in any order).
    void Take(const Row& row, size_t cell, Shown& shown);

private:
    struct Chunk {
        size_t firstRow = 0;  // index into rows_
        std::vector<size_t> cellStart;  // by row of the chunk, into shown; one more at the end
        std::vector<Shown> shown;
    };
    void Run();
    // Makes current_ the chunk holding rows_[index], if the worker made one.
    bool Reach(size_t index);

    const CellTexts& texts_;
    const std::vector<const Row*>& rows_;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk> ready_;  // guarded by mutex_
    bool done_ = false;  // guarded by mutex_: the worker has made its last chunk
    bool stopping_ = false;  // guarded by mutex_: the writer wants no more
    // The writer's own: the chunk it reads from, and where it is in it.
    Chunk current_;
    bool haveCurrent_ = false;
    size_t rowCursor_ = 0;  // index into rows_ of the row last found
};

}  // namespace sheets::html
