#include "app/history/repair_list_panel.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "app/qt_text.h"
#include "common/format.h"

namespace sorvane::app {

namespace {

enum Column {
    kDet,
    kLabel,
    kStreak,
    kBadDays,
    kRecentSwitches,
    kLastStep,
    kLastRatio,
    kColumnCount
};

}  // namespace

RepairListPanel::RepairListPanel(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("repairList"));
    setAccessibleName(QStringLiteral("Repair list"));
    setColumnCount(kColumnCount);
    setHeaderLabels({QStringLiteral("Det"), QStringLiteral("Label"), QStringLiteral("Streak"),
                     QStringLiteral("Bad days"), QStringLiteral("Recent switches"),
                     QStringLiteral("Last step"), QStringLiteral("Last ratio")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);  // long lists stay quick
    setAllColumnsShowFocus(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        emit detectorChosen(static_cast<int16_t>(item->data(kDet, Qt::UserRole).toInt()));
    });
}

void RepairListPanel::showReport(const history::HistoryReport& report) {
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(report.repairList.size()));
    for (const history::DetectorSummary& s : report.repairList) {
        auto* item = new QTreeWidgetItem;
        item->setText(kDet, QString::number(s.det));
        item->setData(kDet, Qt::UserRole, static_cast<int>(s.det));
        item->setText(kLabel, toQString(history::detectorLabelName(s.label)));
        item->setText(kStreak, QString::number(s.streak));
        item->setText(kBadDays,
                      QString::number(s.badDays) + QLatin1Char('/') + QString::number(s.days));
        item->setText(kRecentSwitches, QString::number(s.recentSwitches));
        item->setText(kLastStep, toQString(modBaddet::decisionStepName(s.lastStep)));
        if (s.lastRatio)
            item->setText(kLastRatio,
                          toQString(formatNumber(*s.lastRatio, NumberPattern::ThreeDecimals)));
        for (int c : {kDet, kStreak, kBadDays, kRecentSwitches, kLastRatio})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    addTopLevelItems(items);
    // Every column shows whole: the figures are what the list is for. (The view itself measures
    // only the lines in sight.)
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < kColumnCount; ++c) {
        int column = fontMetrics().horizontalAdvance(headerItem()->text(c));
        for (const QTreeWidgetItem* item : items)
            column = std::max(column, fontMetrics().horizontalAdvance(item->text(c)));
        width += column + padding;
    }
    setMinimumWidth(width);
}

}  // namespace sorvane::app
