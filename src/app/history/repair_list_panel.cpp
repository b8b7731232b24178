#include "app/history/repair_list_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "app/history/repair_list_model.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"

namespace sorvane::app {

namespace {

constexpr int kAll = -1;

// The chosen entry's value, as an enum of the filter; none for "All ...".
template <class E>
std::optional<E> chosen(const QComboBox* box) {
    int value = box->currentData().toInt();
    if (value == kAll) return std::nullopt;
    return static_cast<E>(value);
}

// Refills a filter with "All ..." and `entries` (text, value), keeping the entry chosen when it
// is still there.
void refill(QComboBox* box, const QString& all,
            const std::vector<std::pair<QString, int>>& entries) {
    QString kept = box->currentText();
    QSignalBlocker blocker(box);
    box->clear();
    box->addItem(all, kAll);
    for (const auto& [text, value] : entries)
        box->addItem(text, value);
    box->setCurrentIndex(std::max(0, box->findText(kept)));
}

}  // namespace

RepairListPanel::RepairListPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("repairListPanel"));
    model_ = new RepairListModel(this);
    filter_ = new RepairListFilter(model_, this);
    labelFilter_ = makeControl<QComboBox>(this, "labelFilter");
    stepFilter_ = makeControl<QComboBox>(this, "stepFilter");
    laneTypeFilter_ = makeControl<QComboBox>(this, "laneTypeFilter");
    corridorFilter_ = makeControl<QComboBox>(this, "corridorFilter");
    detectorSearch_ = makeControl<QLineEdit>(this, "detectorSearch");
    detectorSearch_->setPlaceholderText(QStringLiteral("Detector number"));
    detectorSearch_->setClearButtonEnabled(true);
    repairCountLabel_ = makeLabel(this, "repairCountLabel", QString());
    repairList_ = makeControl<QTableView>(this, "repairList");
    repairList_->setAccessibleName(QStringLiteral("Repair list"));
    repairList_->setModel(filter_);
    repairList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    repairList_->setSelectionMode(QAbstractItemView::SingleSelection);
    repairList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    repairList_->setWordWrap(false);
    repairList_->setContextMenuPolicy(Qt::CustomContextMenu);
    repairList_->verticalHeader()->hide();
    repairList_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    repairList_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = repairList_->horizontalHeader();
    header->setSortIndicatorClearable(true);  // a third click gives the repair list's own order
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setHighlightSections(false);
    repairList_->setSortingEnabled(true);
    repairList_->installEventFilter(this);

    auto* filters = new QGridLayout;
    filters->setContentsMargins(0, 0, 0, 0);
    const std::tuple<const char*, const char*, QWidget*> rows[] = {
        {"labelFilterLabel", "Label:", labelFilter_},
        {"stepFilterLabel", "Step:", stepFilter_},
        {"laneTypeFilterLabel", "Lane type:", laneTypeFilter_},
        {"corridorFilterLabel", "Corridor:", corridorFilter_},
    };
    int at = 0;
    for (auto [name, text, control] : rows) {
        filters->addWidget(makeLabel(this, name, QString::fromLatin1(text), control), at / 2,
                           (at % 2) * 2);
        filters->addWidget(control, at / 2, (at % 2) * 2 + 1);
        ++at;
    }
    filters->addWidget(
        makeLabel(this, "detectorSearchLabel", QStringLiteral("Find:"), detectorSearch_), 2, 0);
    filters->addWidget(detectorSearch_, 2, 1);
    filters->addWidget(repairCountLabel_, 2, 2, 1, 2);
    filters->setColumnStretch(1, 1);
    filters->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeLabel(this, "repairLabel", QStringLiteral("Repair list"), repairList_));
    layout->addLayout(filters);
    layout->addWidget(repairList_, 1);
    setTabOrder(labelFilter_, stepFilter_);
    setTabOrder(stepFilter_, laneTypeFilter_);
    setTabOrder(laneTypeFilter_, corridorFilter_);
    setTabOrder(corridorFilter_, detectorSearch_);
    setTabOrder(detectorSearch_, repairList_);
    fillFilters();

    for (QComboBox* box : {labelFilter_, stepFilter_, laneTypeFilter_, corridorFilter_})
        connect(box, &QComboBox::currentIndexChanged, this, &RepairListPanel::filterChosen);
    connect(detectorSearch_, &QLineEdit::textChanged, this, &RepairListPanel::filterChosen);
    connect(repairList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (int det = detectorAt(current.row()); det != kAll)
                    emit detectorChosen(static_cast<int16_t>(det));
            });
    connect(repairList_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() != RepairListModel::kDet) return;
        if (int det = detectorAt(index.row()); det != kAll)
            emit daysAsked(static_cast<int16_t>(det));
    });
    connect(repairList_, &QWidget::customContextMenuRequested, this, &RepairListPanel::showMenu);
}

void RepairListPanel::showReport(std::shared_ptr<const history::HistoryReport> report) {
    model_->showReport(std::move(report));
    fillFilters();
    filterChosen();
    fitColumns();
}

// Each filter offers what the list holds.
void RepairListPanel::fillFilters() {
    std::set<int> labels;
    std::set<int> steps;
    std::set<int> laneTypes;
    for (const history::RepairRow& r : model_->rows()) {
        labels.insert(static_cast<int>(r.summary->label));
        steps.insert(static_cast<int>(r.summary->lastStep));
        if (r.network) laneTypes.insert(static_cast<int>(r.network->laneType));
    }
    auto entries = [](const std::set<int>& values, auto name) {
        std::vector<std::pair<QString, int>> list;
        for (int v : values)
            list.emplace_back(toQString(name(v)), v);
        return list;
    };
    refill(labelFilter_, QStringLiteral("All labels"), entries(labels, [](int v) {
               return history::detectorLabelName(static_cast<history::DetectorLabel>(v));
           }));
    refill(stepFilter_, QStringLiteral("All steps"), entries(steps, [](int v) {
               return modBaddet::decisionStepName(static_cast<modBaddet::DecisionStep>(v));
           }));
    refill(laneTypeFilter_, QStringLiteral("All lane types"),
           entries(laneTypes, [](int v) { return laneTypeName(static_cast<LaneType>(v)); }));
    std::vector<std::pair<QString, int>> corridors;
    for (const std::string& c : history::corridorsOf(model_->rows()))
        corridors.emplace_back(toQString(c), 0);
    refill(corridorFilter_, QStringLiteral("All corridors"), corridors);
    laneTypeFilter_->setEnabled(laneTypeFilter_->count() > 1);
    corridorFilter_->setEnabled(corridorFilter_->count() > 1);
}

void RepairListPanel::filterChosen() {
    history::RepairFilter f;
    f.label = chosen<history::DetectorLabel>(labelFilter_);
    f.step = chosen<modBaddet::DecisionStep>(stepFilter_);
    f.laneType = chosen<LaneType>(laneTypeFilter_);
    if (corridorFilter_->currentIndex() > 0)
        f.corridor = corridorFilter_->currentText().toStdString();
    f.search = detectorSearch_->text().toStdString();
    filter_->setFilter(std::move(f));
    showCount();
}

void RepairListPanel::showCount() {
    repairCountLabel_->setText(
        QStringLiteral("%1 of %2 detectors").arg(filter_->rowCount()).arg(model_->rowCount()));
}

// Every column shows its widest text whole, measured over all rows once per report (the view
// itself would measure only some of them).
void RepairListPanel::fitColumns() {
    const QFontMetrics metrics = repairList_->fontMetrics();
    const QFontMetrics headerMetrics = repairList_->horizontalHeader()->fontMetrics();
    const int cellPadding =
        2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    // A heading leaves room for the sort mark.
    const int headerPadding = style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, this) +
                              3 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    for (int c = 0; c < RepairListModel::kColumnCount; ++c) {
        int cells = 0;
        for (int row = 0; row < model_->rowCount(); ++row)
            cells = std::max(cells, metrics.horizontalAdvance(model_->text(row, c)));
        int heading =
            headerMetrics.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString());
        repairList_->setColumnWidth(c, std::max(cells + cellPadding, heading + headerPadding));
    }
    updateGeometry();
}

QSize RepairListPanel::sizeHint() const {
    int width =
        2 * repairList_->frameWidth() + repairList_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < RepairListModel::kColumnCount; ++c)
        width += repairList_->columnWidth(c);
    return {std::max(width, QWidget::sizeHint().width()), QWidget::sizeHint().height()};
}

int RepairListPanel::detectorAt(int shownRow) const {
    if (shownRow < 0 || shownRow >= filter_->rowCount()) return kAll;
    return model_->detectorAt(filter_->mapToSource(filter_->index(shownRow, 0)).row());
}

std::vector<int16_t> RepairListPanel::shownDetectors() const {
    std::vector<int16_t> dets;
    dets.reserve(static_cast<size_t>(filter_->rowCount()));
    for (int row = 0; row < filter_->rowCount(); ++row)
        dets.push_back(static_cast<int16_t>(detectorAt(row)));
    return dets;
}

// Enter on a row opens its detector's last bad day.
bool RepairListPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == repairList_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (int det = detectorAt(repairList_->currentIndex().row()); det != kAll)
                emit dayChartAsked(static_cast<int16_t>(det));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RepairListPanel::showMenu(const QPoint& position) {
    int det = detectorAt(repairList_->indexAt(position).row());
    if (det == kAll) return;
    QMenu menu(this);
    menu.addAction(QStringLiteral("Days of detector %1...").arg(det), this,
                   [this, det] { emit daysAsked(static_cast<int16_t>(det)); });
    menu.addAction(QStringLiteral("Chart of the last bad day"), this,
                   [this, det] { emit dayChartAsked(static_cast<int16_t>(det)); });
    menu.exec(repairList_->viewport()->mapToGlobal(position));
}

}  // namespace sorvane::app
