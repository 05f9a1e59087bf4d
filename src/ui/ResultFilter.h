#pragma once
#include <QSortFilterProxyModel>

namespace ui {

class TkvResultModel;

// Which rows of the file list are shown.
enum class TkvListFilter { All, Failed, Converted, Waiting };

// The file list as the user sorts and filters it. Without a sort column the
// rows keep the batch's order; equal keys keep it too.
class TkvResultFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TkvResultFilter(TkvResultModel* model, QObject* parent = nullptr);

    void SetFilter(TkvListFilter filter);
    TkvListFilter Filter() const { return filter_; }
    // The batch rows behind view rows, in the view's order.
    std::vector<int> SourceRows(const QModelIndexList& viewRows) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override;

private:
    TkvResultModel* model_;
    TkvListFilter filter_ = TkvListFilter::All;
};

}  // namespace ui
