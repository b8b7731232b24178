#include "app/history/repair_list_model.h"

#include "app/qt_text.h"
#include "common/format.h"

namespace sorvane::app {

namespace {

const char* const kHeaders[RepairListModel::kColumnCount] = {
    "Det",    "Station",  "Lane",     "Lane type", "Corridor",   "Label",
    "Streak", "Bad days", "Switches", "Last step", "Last ratio", "Last change"};

bool isNumberColumn(int column) {
    using M = RepairListModel;
    return column == M::kDet || column == M::kLane || column == M::kStreak ||
           column == M::kBadDays || column == M::kSwitches || column == M::kLastRatio;
}

}  // namespace

void RepairListModel::showReport(std::shared_ptr<const history::HistoryReport> report) {
    beginResetModel();
    report_ = std::move(report);
    rows_ = report_ ? history::repairRows(*report_) : std::vector<history::RepairRow>{};
    endResetModel();
}

int RepairListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RepairListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString RepairListModel::text(int row, int column) const {
    const history::RepairRow& r = rows_[static_cast<size_t>(row)];
    const history::DetectorSummary& s = *r.summary;
    const history::InventoryRow* n = r.network;
    switch (column) {
        case kDet:
            return QString::number(s.det);
        case kStation:
            return n ? toQString(n->station) : QString();
        case kLane:
            return n && n->lane ? QString::number(*n->lane) : QString();
        case kLaneType:
            return n ? toQString(laneTypeName(n->laneType)) : QString();
        case kCorridor:
            return n ? toQString(n->corridor) : QString();
        case kLabel:
            return toQString(history::detectorLabelName(s.label));
        case kStreak:
            return QString::number(s.streak);
        case kBadDays:
            return QString::number(s.badDays) + QLatin1Char('/') + QString::number(s.days);
        case kSwitches:
            return QString::number(s.switches);
        case kLastStep:
            return toQString(modBaddet::decisionStepName(s.lastStep));
        case kLastRatio:
            return s.lastRatio ? toQString(formatNumber(*s.lastRatio, NumberPattern::ThreeDecimals))
                               : QString();
        case kLastChange:
            return toQString(s.lastChange);
        default:
            return {};
    }
}

// Empty figures sort before every number.
QVariant RepairListModel::sortKey(const history::RepairRow& r, int column) const {
    const history::DetectorSummary& s = *r.summary;
    switch (column) {
        case kDet:
            return static_cast<int>(s.det);
        case kLane:
            return r.network && r.network->lane ? *r.network->lane : -1;
        case kStreak:
            return s.streak;
        case kBadDays:  // by bad days, then by days
            return static_cast<qlonglong>(s.badDays) * 1000000 + s.days;
        case kSwitches:
            return s.switches;
        case kLastRatio:
            return s.lastRatio ? *s.lastRatio : -1.0;
        default:
            return {};
    }
}

QVariant RepairListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), index.column());
        case kSortRole:
            return isNumberColumn(index.column())
                       ? sortKey(rows_[static_cast<size_t>(index.row())], index.column())
                       : QVariant(text(index.row(), index.column()));
        case Qt::TextAlignmentRole:
            return isNumberColumn(index.column()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant RepairListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeaders[section]);
    return {};
}

RepairListFilter::RepairListFilter(RepairListModel* model, QObject* parent)
    : QSortFilterProxyModel(parent), model_(model) {
    setSourceModel(model);
    setSortRole(RepairListModel::kSortRole);
}

void RepairListFilter::setFilter(history::RepairFilter filter) {
    filter_ = std::move(filter);
    invalidateRowsFilter();
}

bool RepairListFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return history::matches(model_->rows()[static_cast<size_t>(sourceRow)], filter_);
}

}  // namespace sorvane::app
