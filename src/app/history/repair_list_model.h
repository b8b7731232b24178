#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <memory>
#include <vector>

#include "history/repair_list.h"

namespace sorvane::app {

// The repair list as a table: a row per detector of the report's repair list, in its order,
// with its place in the network and the figures of `sorvane-cli history report`.
class RepairListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        kDet,
        kStation,
        kLane,
        kLaneType,
        kCorridor,
        kLabel,
        kStreak,
        kBadDays,
        kSwitches,
        kLastStep,
        kLastRatio,
        kLastChange,
        kColumnCount
    };
    // The value a column sorts by: numbers as numbers, texts as texts.
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // Shows the repair list of `report` (kept while shown); nullptr shows none.
    void showReport(std::shared_ptr<const history::HistoryReport> report);
    const history::HistoryReport* report() const { return report_.get(); }
    const std::vector<history::RepairRow>& rows() const { return rows_; }
    int16_t detectorAt(int row) const { return rows_[static_cast<size_t>(row)].summary->det; }
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QVariant sortKey(const history::RepairRow& row, int column) const;

    std::shared_ptr<const history::HistoryReport> report_;
    std::vector<history::RepairRow> rows_;
};

// The rows of a RepairListModel that a filter lets through, sorted by the column asked for.
class RepairListFilter : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit RepairListFilter(RepairListModel* model, QObject* parent = nullptr);

    void setFilter(history::RepairFilter filter);
    const history::RepairFilter& filter() const { return filter_; }

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    RepairListModel* model_;
    history::RepairFilter filter_;
};

}  // namespace sorvane::app
