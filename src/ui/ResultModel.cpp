#include "ui/ResultModel.h"

#include <algorithm>

#include "app/TkvMain.h"
#include "batch/NodeState.h"
#include "text/Escape.h"
#include "ui/Icons.h"

namespace ui {

namespace {
// Long enough to gather thousands of found files into one insertion, short
// enough that rows seem to appear as they are found.
constexpr int kFlushDelayMs = 40;
}  // namespace

void TkvRowFeed::Push(Update&& u) {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(std::move(u));
    hasPending_.store(true, std::memory_order_release);
}

void TkvRowFeed::Added(uint64_t generation, int32_t index, const std::string& fileName) {
    Push({generation, index, batch::TNodeState::Waiting, false, fileName, {}});
}

void TkvRowFeed::Result(uint64_t generation, int32_t index, batch::TNodeState state, const std::string& fileName,
                        const std::string& result) {
    Push({generation, index, state, true, fileName, result});
}

std::vector<TkvRowFeed::Update> TkvRowFeed::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Update> out;
    out.swap(pending_);
    hasPending_.store(false, std::memory_order_release);
    return out;
}

TkvResultModel::TkvResultModel(QObject* parent) : QAbstractTableModel(parent), feed_(std::make_shared<TkvRowFeed>()) {
    // The threads that fill the feed never call into the toolkit; the GUI
    // thread looks for their updates at this pace and takes them all at once.
    flushTimer_.setInterval(kFlushDelayMs);
    connect(&flushTimer_, &QTimer::timeout, this, [this] {
        if (feed_->HasPending()) Flush();
    });
    flushTimer_.start();
}

int TkvResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int TkvResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

std::string ExportLine(const TkvRow& row) {
    // Escaped as in the log, so that a file name with a line break in it
    // still makes one line of the exported or copied list.
    return std::string("[") + app::TkvMain::StateWord(row.state) + "] => " +
           text::EscapeForLine(row.fileName.toStdString()) + " => " + text::EscapeForLine(row.result.toStdString());
}

TkvRowStatus TkvResultModel::Status(int i) const {
    const TkvRow& r = rows_[size_t(i)];
    if (r.state == batch::TNodeState::Success) return TkvRowStatus::Success;
    if (r.state == batch::TNodeState::Failure) return TkvRowStatus::Failure;
    return i < handedOut_ ? TkvRowStatus::Converting : TkvRowStatus::Waiting;
}

int TkvResultModel::ConvertingRows() const {
    // Results only ever come for entries that were handed out.
    return std::max(0, std::min(handedOut_, rowCount()) - DoneRows());
}

void TkvResultModel::SetHandedOut(int n) {
    if (n == handedOut_) return;
    const int lo = std::min(n, handedOut_), hi = std::min(std::max(n, handedOut_), rowCount()) - 1;
    handedOut_ = n;
    if (hi >= lo) emit dataChanged(index(lo, 0), index(hi, 0), {Qt::DecorationRole, kSortRole, kStatusRole});
}

QVariant TkvResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const TkvRow& r = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DecorationRole:
        if (index.column() != 0) return {};
        switch (Status(index.row())) {
        case TkvRowStatus::Success: return ImageListIcon(imgSuccess);
        case TkvRowStatus::Failure: return ImageListIcon(imgFailure);
        case TkvRowStatus::Converting: return ImageListIcon(imgConverting);
        case TkvRowStatus::Waiting: return ImageListIcon(imgWaiting);
        }
        return {};
    case kStatusRole: return static_cast<int>(Status(index.row()));
    case kSortRole:
        if (index.column() == 0) return static_cast<int>(Status(index.row()));
        return index.column() == 1 ? r.fileName : r.result;
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (index.column() == 1) return r.fileName;
        if (index.column() == 2) return r.result;
        return {};
    default: return {};
    }
}

QVariant TkvResultModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case 0: return QStringLiteral("@");
    case 1: return QStringLiteral("File Name");
    case 2: return QStringLiteral("Result");
    default: return {};
    }
}

uint64_t TkvResultModel::Reset() {
    feed_->Take();
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    successes_ = failures_ = 0;
    handedOut_ = 0;
    ++generation_;
    endResetModel();
    emit Flushed();
    return generation_;
}

void TkvResultModel::SetState(TkvRow& row, batch::TNodeState state) {
    if (row.state == batch::TNodeState::Success) --successes_;
    if (row.state == batch::TNodeState::Failure) --failures_;
    row.state = state;
    if (state == batch::TNodeState::Success) ++successes_;
    if (state == batch::TNodeState::Failure) ++failures_;
}

void TkvResultModel::Apply(const TkvRowFeed::Update& u) {
    TkvRow& r = rows_[size_t(u.index)];
    if (r.fileName.isEmpty()) r.fileName = QString::fromStdString(u.fileName);
    if (u.isResult) {
        r.fileName = QString::fromStdString(u.fileName);
        r.result = QString::fromStdString(u.result);
        SetState(r, u.state);
    }
}

void TkvResultModel::Flush() {
    std::vector<TkvRowFeed::Update> updates = feed_->Take();
    if (updates.empty()) return;

    const int oldCount = int(rows_.size());
    int newCount = oldCount;
    for (const auto& u : updates)
        if (u.generation == generation_ && u.index >= 0) newCount = std::max(newCount, u.index + 1);

    // A result can overtake the notice that its entry was found (they come
    // from different threads), so rows are grown to whatever index arrives.
    // New rows get their data before they are announced, so that a sorted or
    // filtered view sees them as they are.
    const bool grows = newCount > oldCount;
    if (grows) {
        beginInsertRows({}, oldCount, newCount - 1);
        rows_.resize(size_t(newCount));
    }
    int lo = oldCount, hi = -1;
    for (const auto& u : updates) {
        if (u.generation != generation_ || u.index < 0) continue;
        Apply(u);
        if (u.index < oldCount) {
            lo = std::min(lo, u.index);
            hi = std::max(hi, u.index);
        }
    }
    if (grows) endInsertRows();
    if (hi >= lo) emit dataChanged(index(lo, 0), index(hi, 2));
    emit Flushed();
}

}  // namespace ui
