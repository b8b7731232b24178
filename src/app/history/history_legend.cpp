#include "app/history/history_legend.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "app/history/verdict_colors.h"

namespace sorvane::app {

namespace {

using history::CellVerdict;

// The legend's order: worst first, no record last.
constexpr CellVerdict kOrder[] = {
    CellVerdict::High,       CellVerdict::Susp,       CellVerdict::Marg,     CellVerdict::Hlth,
    CellVerdict::FeedOutage, CellVerdict::UnitOutage, CellVerdict::Excluded, CellVerdict::NoRecord};

QPixmap swatch(QRgb color, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(QColor(color));
    QPainter painter(&pixmap);
    painter.setPen(QColor(kGridLineColor).darker(130));
    painter.drawRect(0, 0, size - 1, size - 1);  // white must show on a light background
    return pixmap;
}

}  // namespace

HistoryLegend::HistoryLegend(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HistoryLegend"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    int size = fontMetrics().height();
    for (CellVerdict verdict : kOrder) {
        auto* box = new QLabel(this);
        box->setPixmap(swatch(verdictColor(verdict), size));
        auto* name = new QLabel(verdictName(verdict), this);
        name->setTextFormat(Qt::PlainText);
        layout->addWidget(box);
        layout->addWidget(name);
        layout->addSpacing(size);
    }
    auto* outage = new QLabel(this);
    QPixmap mark(size, size);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.fillRect(0, size - size / 3, size, size / 3, QColor(kOutageMarkColor));
    painter.end();
    outage->setPixmap(mark);
    layout->addWidget(outage);
    auto* outageName = new QLabel(QStringLiteral("Date with a feed outage"), this);
    layout->addWidget(outageName);
    layout->addStretch(1);
}

}  // namespace sorvane::app
