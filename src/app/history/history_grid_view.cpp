#include "app/history/history_grid_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <array>

#include "app/history/grid_header.h"

namespace sorvane::app {

namespace {

constexpr std::array<int, 12> kCellSizes{1, 2, 3, 4, 6, 8, 10, 12, 16, 20, 24, 32};
constexpr int kStartCellSize = 16;  // room for a detector number on every row
constexpr int kWheelStep = 120;     // one notch of a mouse wheel

}  // namespace

HistoryGridView::HistoryGridView(QWidget* parent)
    : QAbstractScrollArea(parent),
      dates_(new GridHeader(Qt::Horizontal, this)),
      detectors_(new GridHeader(Qt::Vertical, this)) {
    setObjectName(QStringLiteral("historyGrid"));
    dates_->setObjectName(QStringLiteral("datesHeader"));
    detectors_->setObjectName(QStringLiteral("detectorsHeader"));
    dates_->toolTipOf = [this](int column) {
        return dateToolTip ? dateToolTip(column) : QString();
    };
    setViewportMargins(detectors_->thickness(), dates_->thickness(), 0, 0);
    viewport()->setMouseTracking(true);
    setCellSize(kStartCellSize);
}

void HistoryGridView::setGrid(std::shared_ptr<const history::LedgerGrid> grid,
                              std::vector<int> rowOrder, std::vector<bool> outageDates) {
    grid_ = std::move(grid);
    rowOrder_ = std::move(rowOrder);
    tiles_.setGrid(grid_, rowOrder_);
    QStringList numbers;
    numbers.reserve(static_cast<qsizetype>(rowOrder_.size()));
    for (int row : rowOrder_)
        numbers.append(QString::number(grid_->detectors[static_cast<size_t>(row)]));
    QStringList dates;
    for (const std::string& date : grid_->dates)
        dates.append(QString::fromStdString(date));
    detectors_->setLabels(numbers);
    dates_->setLabels(dates);
    dates_->setMarked(std::move(outageDates));
    detectors_->setHighlighted(marked_ ? displayRowOf(*marked_) : -1);
    updateScrollRanges();
    viewport()->update();
}

void HistoryGridView::setCellSize(int pixels) {
    tiles_.setCellSize(pixels);
    dates_->setCellSize(pixels);
    detectors_->setCellSize(pixels);
    updateScrollRanges();
    viewport()->update();
}

void HistoryGridView::zoom(int steps, QPoint anchor) {
    auto at = std::lower_bound(kCellSizes.begin(), kCellSizes.end(), cellSize());
    int index = std::clamp(static_cast<int>(at - kCellSizes.begin()) + steps, 0,
                           static_cast<int>(kCellSizes.size()) - 1);
    int old = cellSize();
    int now = kCellSizes[static_cast<size_t>(index)];
    if (now == old) return;
    // The picture's point under the anchor, in cells, stays under the anchor.
    double x = (horizontalScrollBar()->value() + anchor.x()) / static_cast<double>(old);
    double y = (verticalScrollBar()->value() + anchor.y()) / static_cast<double>(old);
    setCellSize(now);
    horizontalScrollBar()->setValue(static_cast<int>(x * now) - anchor.x());
    verticalScrollBar()->setValue(static_cast<int>(y * now) - anchor.y());
}

int HistoryGridView::displayRowOf(int16_t det) const {
    if (!grid_) return -1;
    for (size_t i = 0; i < rowOrder_.size(); ++i) {
        if (grid_->detectors[static_cast<size_t>(rowOrder_[i])] == det) return static_cast<int>(i);
    }
    return -1;
}

void HistoryGridView::showDetector(int16_t det) {
    marked_ = det;
    int row = displayRowOf(det);
    detectors_->setHighlighted(row);
    if (row >= 0) {
        // The row lands in the middle of the picture where the picture can scroll so far.
        int top = row * cellSize() + cellSize() / 2 - viewport()->height() / 2;
        verticalScrollBar()->setValue(top);
    }
    viewport()->update();
}

std::optional<HistoryGridView::Cell> HistoryGridView::cellAt(QPoint point) const {
    if (!grid_ || point.x() < 0 || point.y() < 0) return std::nullopt;
    int column = (point.x() + horizontalScrollBar()->value()) / cellSize();
    int row = (point.y() + verticalScrollBar()->value()) / cellSize();
    if (column >= tiles_.columns() || row >= tiles_.rows()) return std::nullopt;
    return Cell{grid_->detectors[static_cast<size_t>(rowOrder_[static_cast<size_t>(row)])], column};
}

QRect HistoryGridView::cellRect(int16_t det, int column) const {
    int row = displayRowOf(det);
    if (row < 0 || column < 0 || column >= tiles_.columns()) return {};
    return QRect(column * cellSize() - horizontalScrollBar()->value(),
                 row * cellSize() - verticalScrollBar()->value(), cellSize(), cellSize());
}

void HistoryGridView::updateScrollRanges() {
    QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, tiles_.columns() * cellSize() - area.width()));
    verticalScrollBar()->setRange(0, std::max(0, tiles_.rows() * cellSize() - area.height()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setPageStep(area.height());
    horizontalScrollBar()->setSingleStep(cellSize());
    verticalScrollBar()->setSingleStep(cellSize());
    dates_->setOffset(horizontalScrollBar()->value());
    detectors_->setOffset(verticalScrollBar()->value());
}

void HistoryGridView::placeHeaders() {
    QRect area = viewport()->geometry();
    int left = detectors_->thickness();
    int top = dates_->thickness();
    dates_->setGeometry(area.left(), area.top() - top, area.width(), top);
    detectors_->setGeometry(area.left() - left, area.top(), left, area.height());
}

void HistoryGridView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().window());  // not white: that is "no record"
    if (!grid_ || tiles_.rows() == 0 || tiles_.columns() == 0) return;
    const int x0 = horizontalScrollBar()->value();
    const int y0 = verticalScrollBar()->value();
    const int tilePixels = tiles_.cellsPerTile() * cellSize();
    const QRect area = event->rect().translated(x0, y0);
    const int lastTileRow = (tiles_.rows() - 1) / tiles_.cellsPerTile();
    const int lastTileColumn = (tiles_.columns() - 1) / tiles_.cellsPerTile();
    for (int tr = area.top() / tilePixels; tr <= std::min(lastTileRow, area.bottom() / tilePixels);
         ++tr) {
        for (int tc = area.left() / tilePixels;
             tc <= std::min(lastTileColumn, area.right() / tilePixels); ++tc) {
            painter.drawImage(tc * tilePixels - x0, tr * tilePixels - y0, tiles_.tile(tr, tc));
        }
    }
    if (marked_) {
        int row = displayRowOf(*marked_);
        if (row >= 0) {
            painter.setPen(QPen(palette().highlight(), 2));
            painter.drawRect(
                QRect(-x0, row * cellSize() - y0, tiles_.columns() * cellSize(), cellSize()));
        }
    }
}

void HistoryGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    placeHeaders();
    updateScrollRanges();
}

void HistoryGridView::scrollContentsBy(int, int) {
    dates_->setOffset(horizontalScrollBar()->value());
    detectors_->setOffset(verticalScrollBar()->value());
    viewport()->update();
}

void HistoryGridView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    int steps = event->angleDelta().y() / kWheelStep;
    if (steps == 0)
        steps = event->angleDelta().y() > 0 ? 1 : (event->angleDelta().y() < 0 ? -1 : 0);
    zoom(steps, event->position().toPoint());
    event->accept();
}

void HistoryGridView::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? cellAt(event->pos()) : std::nullopt;
}

// A click is a press and a release on the same cell.
void HistoryGridView::mouseReleaseEvent(QMouseEvent* event) {
    std::optional<Cell> released = cellAt(event->pos());
    if (event->button() == Qt::LeftButton && pressed_ && released &&
        released->det == pressed_->det && released->column == pressed_->column) {
        emit cellClicked(released->det, released->column);
    }
    pressed_.reset();
}

bool HistoryGridView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        std::optional<Cell> cell = cellAt(help->pos());
        QString text = cell && cellToolTip ? cellToolTip(*cell) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), text, viewport(),
                               cellRect(cell->det, cell->column));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace sorvane::app
