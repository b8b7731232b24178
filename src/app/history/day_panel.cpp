#include "app/history/day_panel.h"

#include <QDate>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "history/report_text.h"

namespace sorvane::app {

namespace {

constexpr qsizetype kOutageLines = 6;

enum Column { kDet, kClass, kStep, kSince, kStation, kLane, kLaneType, kCorridor, kLabel, kCount };

QString titleOf(const std::string& date) {
    QDate day = QDate::fromString(toQString(date), Qt::ISODate);
    return toQString(date) + QStringLiteral(" (") + QLocale::c().dayName(day.dayOfWeek()) +
           QLatin1Char(')');
}

}  // namespace

QString networkDetails(const history::Inventory* inventory, int16_t det) {
    if (inventory == nullptr) return {};
    const history::InventoryRow* r = inventory->find(det);
    if (r == nullptr) return QStringLiteral("Not in the inventory");
    return QStringLiteral("Station: ") + toQString(r->station) + QStringLiteral("\nLane: ") +
           (r->lane ? QString::number(*r->lane) : QStringLiteral("-")) +
           QStringLiteral("\nLane type: ") + toQString(laneTypeName(r->laneType)) +
           QStringLiteral("\nCorridor: ") + toQString(r->corridor) + QStringLiteral("\nLabel: ") +
           toQString(r->label);
}

DayPanel::DayPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dayPanel"));
    setAccessibleName(QStringLiteral("The date's verdict"));
    titleLabel_ = makeLabel(this, "dayTitleLabel", QString());
    QFont bold = titleLabel_->font();
    bold.setBold(true);
    titleLabel_->setFont(bold);
    closeButton_ = makeButton(this, "closeDayPanelButton", QStringLiteral("Close"));
    outagesLabel_ = makeLabel(this, "dayOutagesLabel", QString());
    outagesLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    countsLabel_ = makeLabel(this, "dayCountsLabel", QString());
    faultsList_ = makeControl<QTreeWidget>(this, "dayFaultsList");
    faultsList_->setAccessibleName(QStringLiteral("The day's own faults"));
    faultsList_->setHeaderLabels(
        {QStringLiteral("Det"), QStringLiteral("Class"), QStringLiteral("Step"),
         QStringLiteral("Since"), QStringLiteral("Station"), QStringLiteral("Lane"),
         QStringLiteral("Lane type"), QStringLiteral("Corridor"), QStringLiteral("Label")});
    faultsList_->setRootIsDecorated(false);
    faultsList_->setUniformRowHeights(true);
    faultsList_->setAllColumnsShowFocus(true);
    verdictText_ = makeControl<QPlainTextEdit>(this, "dayVerdictText");
    verdictText_->setAccessibleName(QStringLiteral("The date's verdict as sorvane-cli gives it"));
    verdictText_->setReadOnly(true);
    verdictText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    verdictText_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* top = new QHBoxLayout;
    top->addWidget(titleLabel_, 1);
    top->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(outagesLabel_);
    layout->addWidget(countsLabel_);
    layout->addWidget(makeLabel(this, "dayFaultsLabel",
                                QStringLiteral("The detectors' own faults:"), faultsList_));
    layout->addWidget(faultsList_, 2);
    layout->addWidget(
        makeLabel(this, "dayVerdictLabel", QStringLiteral("history day:"), verdictText_));
    layout->addWidget(verdictText_, 3);

    connect(closeButton_, &QPushButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    connect(faultsList_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        emit detectorChosen(static_cast<int16_t>(item->data(kDet, Qt::UserRole).toInt()));
    });
    connect(faultsList_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        emit detectorChosen(static_cast<int16_t>(item->data(kDet, Qt::UserRole).toInt()));
    });
}

void DayPanel::showReading(const std::string& date) {
    date_ = date;
    titleLabel_->setText(titleOf(date));
    outagesLabel_->clear();
    countsLabel_->setText(QStringLiteral("Reading the day..."));
    faultsList_->clear();
    verdictText_->clear();
    show();
}

void DayPanel::showNothing(const std::string& date, const QString& why) {
    showReading(date);
    countsLabel_->setText(why);
}

void DayPanel::showVerdict(const history::DayVerdict& v) {
    showReading(v.day.date);
    const bool network = v.network.has_value() || !v.unitOutages.empty() || !v.owedToUnits.empty();
    // One outage a line, a few at most: the text below has them all.
    QStringList outages;
    for (const history::FeedOutage& o : v.outages)
        outages.append(QStringLiteral("Feed outage ") + toQString(history::outageTimes(o)));
    if (v.outages.empty()) outages.append(QStringLiteral("No feed outage"));
    if (network) {
        for (const history::UnitOutage& o : v.unitOutages) {
            QString kind = toQString(history::unitKindName(o.kind));
            kind[0] = kind[0].toUpper();
            outages.append(kind + QStringLiteral(" outage ") + toQString(o.unit) +
                           QLatin1Char(' ') +
                           toQString(history::slotTimes(o.firstSlot, o.lastSlot)));
        }
        if (v.unitOutages.empty())
            outages.append(QStringLiteral("No station or controller outage"));
    }
    if (outages.size() > kOutageLines) {
        qsizetype more = outages.size() - (kOutageLines - 1);
        outages.resize(kOutageLines - 1);
        outages.append(QStringLiteral("and ") + QString::number(more) +
                       QStringLiteral(" more below"));
    }
    outagesLabel_->setText(outages.join(QLatin1Char('\n')));
    QString counts = QStringLiteral("Owed to feed outages: ") + QString::number(v.owed.size());
    if (network) {
        counts += QStringLiteral("\nOwed to station and controller outages: ") +
                  QString::number(v.owedToUnits.size());
    }
    counts += QStringLiteral("\nOwed to the detectors: ") + QString::number(v.own.size());
    countsLabel_->setText(counts);

    // New today first, then by detector as the command line lists them.
    std::vector<const history::DayVerdict::Row*> rows;
    for (const history::DayVerdict::Row& r : v.own)
        rows.push_back(&r);
    std::stable_partition(rows.begin(), rows.end(), [](const history::DayVerdict::Row* r) {
        return r->since == "new today";
    });
    const history::Inventory* inventory = v.network ? &*v.network : nullptr;
    QList<QTreeWidgetItem*> items;
    for (const history::DayVerdict::Row* r : rows) {
        auto* item = new QTreeWidgetItem;
        const history::LedgerCell& c = r->cell;
        item->setText(kDet, QString::number(c.det));
        item->setData(kDet, Qt::UserRole, static_cast<int>(c.det));
        item->setText(kClass, toQString(modBaddet::healthClassLabel(c.healthClass)));
        item->setText(kStep, toQString(modBaddet::decisionStepName(c.step)));
        item->setText(kSince, toQString(r->since));
        if (const history::InventoryRow* where = inventory ? inventory->find(c.det) : nullptr) {
            item->setText(kStation, toQString(where->station));
            if (where->lane) item->setText(kLane, QString::number(*where->lane));
            item->setText(kLaneType, toQString(laneTypeName(where->laneType)));
            item->setText(kCorridor, toQString(where->corridor));
            item->setText(kLabel, toQString(where->label));
        }
        item->setToolTip(kDet, networkDetails(inventory, c.det));
        items.append(item);
    }
    faultsList_->addTopLevelItems(items);
    for (int c = 0; c < kCount; ++c)
        faultsList_->setColumnHidden(c, c >= kStation && inventory == nullptr);
    faultsList_->header()->resizeSections(QHeaderView::ResizeToContents);
    verdictText_->setPlainText(toQString(history::dayVerdictText(v)));
    emit verdictShown();
}

}  // namespace sorvane::app
