#include "app/history/detector_days_window.h"

#include <QCategoryAxis>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <algorithm>

#include "app/history/verdict_colors.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "history/archive_date.h"
#include "history/count_drift.h"

namespace sorvane::app {

namespace {

constexpr QSize kDaysSize(980, 520);
constexpr int kDateLabels = 7;
constexpr qreal kMarkerSize = 9;

QString dayText(const std::string& date) {
    QDate d = QDate::fromString(toQString(date), Qt::ISODate);
    return toQString(date) + QLatin1Char(' ') +
           QLocale::c().dayName(d.dayOfWeek(), QLocale::ShortFormat);
}

PlotRequest requestFor(int16_t det, const std::string& from, const std::string& to) {
    PlotRequest request;
    request.kind = PlotKind::Line;
    request.header = "Detector " + std::to_string(det) + ": daytime volume by day";
    request.caption = "Days of detector " + std::to_string(det) + ": " + from + " to " + to;
    return request;
}

QLineSeries* line(const QString& name, QColor color, qreal width, Qt::PenStyle style) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(color);
    pen.setWidthF(width);
    pen.setStyle(style);
    series->setPen(pen);
    return series;
}

QScatterSeries* marks(const QString& name, QColor color) {
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setMarkerSize(kMarkerSize);
    series->setColor(color);
    series->setBorderColor(color.darker(140));
    return series;
}

}  // namespace

DetectorDaysWindow::DetectorDaysWindow(int16_t det, const std::string& from, const std::string& to,
                                       std::vector<history::DetectorDayPoint> days,
                                       ChartContext context)
    : ChartWindow("DetectorDaysWindow", requestFor(det, from, to), context, kDaysSize, true),
      det_(det),
      days_(std::move(days)) {
    setImageName(
        QStringLiteral("det-%1-days-%2-%3.png").arg(det).arg(toQString(from), toQString(to)));
    drawDays();
    layOutStripChoice();
}

void DetectorDaysWindow::drawDays() {
    auto* volume = line(QStringLiteral("Volume"), QColor(70, 70, 70), 1.5, Qt::SolidLine);
    auto* baseline = line(QStringLiteral("Baseline"), QColor(20, 20, 20), 2, Qt::DashLine);
    auto* low =
        line(QStringLiteral("0.7 and 1.3 of the baseline"), QColor(130, 130, 130), 1, Qt::DotLine);
    auto* high = line(QString(), QColor(130, 130, 130), 1, Qt::DotLine);
    auto* high_ = marks(QStringLiteral("High"), QColor(verdictColor(history::CellVerdict::High)));
    auto* susp = marks(QStringLiteral("Susp"), QColor(verdictColor(history::CellVerdict::Susp)));
    auto* outage = marks(QStringLiteral("Outage"), QColor(kOutageMarkColor));
    double top = 0.0;
    for (const history::DetectorDayPoint& d : days_) {
        double x = history::dayNumber(d.date);
        if (d.volume) volume->append(x, *d.volume);
        if (d.baseline) {
            baseline->append(x, *d.baseline);
            low->append(x, *d.baseline * history::kDriftLow);
            high->append(x, *d.baseline * history::kDriftHigh);
        }
        // A day without a volume is marked on the axis.
        double y = d.volume.value_or(0.0);
        if (d.outage) {
            outage->append(x, y);
        } else if (d.bad) {
            (d.verdict == history::CellVerdict::Susp ? susp : high_)->append(x, y);
        }
        top =
            std::max({top, d.volume.value_or(0.0), d.baseline.value_or(0.0) * history::kDriftHigh});
    }
    const QList<QAbstractSeries*> all{low, high, baseline, volume, high_, susp, outage};
    for (QAbstractSeries* s : all)
        chart()->addSeries(s);
    chart()->legend()->markers(high).first()->setVisible(false);  // one entry for the band
    chart()->legend()->setAlignment(Qt::AlignBottom);

    double first = days_.empty() ? 0.0 : history::dayNumber(days_.front().date);
    double last = days_.empty() ? 1.0 : history::dayNumber(days_.back().date);
    auto* dates = new QCategoryAxis;
    dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    int step = std::max(1, static_cast<int>((last - first) / kDateLabels) + 1);
    for (int day = static_cast<int>(first); day <= static_cast<int>(last); day += step)
        dates->append(toQString(history::dateOfDay(day)), day);
    addAxis(dates, Qt::AlignBottom, volume, QStringLiteral("Date"), first - 0.5, last + 0.5,
            AxisFit::Exact);
    auto* counts = new QCategoryAxis;
    addAxis(counts, Qt::AlignLeft, volume, QStringLiteral("Daytime volume"), 0.0,
            std::max(top, 1.0), AxisFit::Nice);
    for (QAbstractSeries* s : all) {
        if (s == volume) continue;
        s->attachAxis(dates);
        s->attachAxis(counts);
    }
    TChart1->setRubberBand(QChartView::HorizontalRubberBand);
    setGradientBackground(QColor(235, 240, 250));
}

void DetectorDaysWindow::layOutStripChoice() {
    stripDays_ = makeControl<QListWidget>(this, "stripDays");
    stripDays_->setAccessibleName(QStringLiteral("Days for the strip"));
    stripInterval_ = makeControl<QComboBox>(this, "stripInterval");
    stripInterval_->addItems({QStringLiteral("30 seconds"), QStringLiteral("5 minutes")});
    showStripButton_ = makeButton(this, "showStripButton", QStringLiteral("Show Strip"));
    stripNote_ = makeWrappedLabel(this, "stripNote", QString());

    // The last bad days ticked first; without any, the last days.
    bool anyBad = std::any_of(days_.begin(), days_.end(), [](auto& d) { return d.bad; });
    int ticked = 0;
    std::vector<bool> tick(days_.size(), false);
    for (size_t i = days_.size(); i-- > 0 && ticked < kMaxStripDays;) {
        if (!anyBad || days_[i].bad) {
            tick[i] = true;
            ++ticked;
        }
    }
    for (size_t i = 0; i < days_.size(); ++i) {
        const history::DetectorDayPoint& d = days_[i];
        auto* item =
            new QListWidgetItem(dayText(d.date) + QStringLiteral("  ") + verdictName(d.verdict));
        item->setData(Qt::UserRole, toQString(d.date));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(tick[i] ? Qt::Checked : Qt::Unchecked);
        stripDays_->addItem(item);
    }
    stripDays_->setMinimumWidth(stripDays_->sizeHintForColumn(0) + 40);

    auto* side = new QVBoxLayout;
    side->addWidget(
        makeLabel(this, "stripDaysLabel", QStringLiteral("Days for the strip:"), stripDays_));
    side->addWidget(stripDays_, 1);
    side->addWidget(
        makeLabel(this, "stripIntervalLabel", QStringLiteral("Interval:"), stripInterval_));
    side->addWidget(stripInterval_);
    side->addWidget(showStripButton_);
    side->addWidget(stripNote_);
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->removeWidget(TChart1);
    auto* row = new QHBoxLayout;
    row->addWidget(TChart1, 1);
    row->addLayout(side);
    row->setContentsMargins(0, 0, 6, 6);
    box->addLayout(row);
    setReadingOrder({TChart1, stripDays_, stripInterval_, showStripButton_});
    dayTicked(nullptr);

    connect(stripDays_, &QListWidget::itemChanged, this, &DetectorDaysWindow::dayTicked);
    connect(showStripButton_, &QPushButton::clicked, this,
            [this] { emit stripAsked(det_, stripDays(), stripInterval_->currentIndex() == 1); });
}

QStringList DetectorDaysWindow::stripDays() const {
    QStringList dates;
    for (int i = 0; i < stripDays_->count(); ++i) {
        if (stripDays_->item(i)->checkState() == Qt::Checked)
            dates.append(stripDays_->item(i)->data(Qt::UserRole).toString());
    }
    return dates;
}

// A fifteenth day is not taken.
void DetectorDaysWindow::dayTicked(QListWidgetItem* changed) {
    QStringList dates = stripDays();
    if (dates.size() > kMaxStripDays && changed != nullptr) {
        QSignalBlocker blocker(stripDays_);
        changed->setCheckState(Qt::Unchecked);
        dates = stripDays();
        stripNote_->setText(QStringLiteral("At most %1 days.").arg(kMaxStripDays));
    } else {
        stripNote_->setText(
            QStringLiteral("%1 of at most %2 days.").arg(dates.size()).arg(kMaxStripDays));
    }
    showStripButton_->setEnabled(!dates.isEmpty());
}

}  // namespace sorvane::app
