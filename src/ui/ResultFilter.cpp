#include "ui/ResultFilter.h"

#include <algorithm>

#include "ui/ResultModel.h"

namespace ui {

TkvResultFilter::TkvResultFilter(TkvResultModel* model, QObject* parent)
    : QSortFilterProxyModel(parent), model_(model) {
    setSourceModel(model);
    setSortRole(kSortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setSortLocaleAware(false);  // paths, not prose: the same order on every machine
    // Rows move to their place as results come in, and leave a filter they no
    // longer match.
    setDynamicSortFilter(true);
}

void TkvResultFilter::SetFilter(TkvListFilter filter) {
    if (filter == filter_) return;
    filter_ = filter;
    invalidateFilter();
}

bool TkvResultFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (filter_ == TkvListFilter::All) return true;
    const TkvRowStatus s = model_->Status(sourceRow);
    switch (filter_) {
    case TkvListFilter::Failed: return s == TkvRowStatus::Failure;
    case TkvListFilter::Converted: return s == TkvRowStatus::Success;
    case TkvListFilter::Waiting: return s == TkvRowStatus::Waiting || s == TkvRowStatus::Converting;
    case TkvListFilter::All: return true;
    }
    return true;
}

bool TkvResultFilter::lessThan(const QModelIndex& a, const QModelIndex& b) const {
    const QVariant va = a.data(kSortRole), vb = b.data(kSortRole);
    int c;
    if (a.column() == 0) c = va.toInt() - vb.toInt();
    else c = va.toString().compare(vb.toString(), Qt::CaseInsensitive);
    if (c != 0) return c < 0;
    return a.row() < b.row();
}

std::vector<int> TkvResultFilter::SourceRows(const QModelIndexList& viewRows) const {
    std::vector<std::pair<int, int>> rows;  // view row, batch row
    for (const QModelIndex& i : viewRows) {
        const QModelIndex v = i.model() == this ? i : mapFromSource(i);
        if (v.isValid()) rows.emplace_back(v.row(), mapToSource(v).row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<int> out;
    for (const auto& r : rows) out.push_back(r.second);
    return out;
}

}  // namespace ui
