#pragma once
#include <QAbstractTableModel>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "batch/NodeState.h"

namespace ui {

// Row updates handed over by the search and worker threads. They only append
// to this inbox; the list model drains it on the GUI thread, many updates at
// a time, so a run over a huge folder does not flood the event loop.
class TkvRowFeed {
public:
    struct Update {
        uint64_t generation;
        int32_t index;
        batch::TNodeState state;
        bool isResult;
        std::string fileName;
        std::string result;
    };

    // Any thread.
    void Added(uint64_t generation, int32_t index, const std::string& fileName);
    void Result(uint64_t generation, int32_t index, batch::TNodeState state, const std::string& fileName,
                const std::string& result);

    // GUI thread.
    std::vector<Update> Take();
    bool HasPending() const { return hasPending_.load(std::memory_order_acquire); }

private:
    void Push(Update&& u);

    std::mutex mutex_;  // guards pending_
    std::vector<Update> pending_;
    std::atomic<bool> hasPending_{false};  // a hint for the GUI thread's timer
};

struct TkvRow {
    batch::TNodeState state = batch::TNodeState::Waiting;
    QString fileName;
    QString result;
};

// One row as the exported list and the clipboard carry it:
// "[Success] => source => result" (no line end).
std::string ExportLine(const TkvRow& row);

// The role that sorts a column: the row's status for "@", the text for the
// others.
inline constexpr int kSortRole = Qt::UserRole + 1;
// The role that holds a row's TkvRowStatus.
inline constexpr int kStatusRole = Qt::UserRole + 2;

// What the list shows for a row: its entry's state, or that a worker holds it.
enum class TkvRowStatus { Waiting = 0, Converting = 1, Success = 2, Failure = 3 };

// The file list: one row per batch entry, row number = the entry's index.
class TkvResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TkvResultModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // Drops every row and every update still on its way from an older batch;
    // returns the generation that callbacks of the next batch must carry.
    uint64_t Reset();
    uint64_t Generation() const { return generation_; }
    const std::shared_ptr<TkvRowFeed>& Feed() const { return feed_; }

    // Applies the pending updates now (the GUI thread's timer does it by
    // itself soon after they arrive).
    void Flush();

    const TkvRow& Row(int i) const { return rows_[size_t(i)]; }
    TkvRowStatus Status(int i) const;
    int SuccessRows() const { return successes_; }
    int FailureRows() const { return failures_; }
    int DoneRows() const { return successes_ + failures_; }
    // Rows a worker holds now: handed out, no result yet.
    int ConvertingRows() const;
    // Rows with no result yet, those being converted included.
    int WaitingRows() const { return rowCount() - DoneRows(); }

    // The batch has handed out entries 0 .. n - 1; those without a result
    // show as being converted.
    void SetHandedOut(int n);

signals:
    void Flushed();

private:
    void Apply(const TkvRowFeed::Update& u);
    void SetState(TkvRow& row, batch::TNodeState state);

    std::shared_ptr<TkvRowFeed> feed_;
    QTimer flushTimer_;
    uint64_t generation_ = 1;
    std::vector<TkvRow> rows_;
    int successes_ = 0, failures_ = 0;
    int handedOut_ = 0;
};

}  // namespace ui
