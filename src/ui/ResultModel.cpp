#include "ui/ResultModel.h"

#include <algorithm>

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

QVariant TkvResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const TkvRow& r = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DecorationRole:
        if (index.column() == 0) return ImageListIcon(static_cast<int>(r.state));
        return {};
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
    if (newCount > oldCount) {
        beginInsertRows({}, oldCount, newCount - 1);
        rows_.resize(size_t(newCount));
        endInsertRows();
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
    if (hi >= lo) emit dataChanged(index(lo, 0), index(hi, 2));
    emit Flushed();
}

}  // namespace ui
