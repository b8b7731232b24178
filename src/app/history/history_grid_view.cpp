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
    dates_->setAccessibleName(QStringLiteral("Dates; a click opens the date's verdict"));
    detectors_->setAccessibleName(QStringLiteral("Detectors"));
    dates_->toolTipOf = [this](int column) {
        return dateToolTip ? dateToolTip(column) : QString();
    };
    dates_->setCursor(Qt::PointingHandCursor);  // a date opens its verdict
    connect(dates_, &GridHeader::clicked, this, &HistoryGridView::dateClicked);
    connect(dates_, &GridHeader::currentMoved, this, [this](int column) {
        QScrollBar* bar = horizontalScrollBar();
        int left = column * cellSize();
        if (left < bar->value()) bar->setValue(left);
        if (left + cellSize() > bar->value() + viewport()->width())
            bar->setValue(left + cellSize() - viewport()->width());
    });
    setViewportMargins(detectors_->thickness(), dates_->thickness(), 0, 0);
    viewport()->setMouseTracking(true);
    setCellSize(kStartCellSize);
}

void HistoryGridView::setGrid(std::shared_ptr<const history::LedgerGrid> grid,
                              std::vector<int> rowOrder, std::vector<bool> outageDates,
                              history::Calendar calendar, std::vector<RowHeading> headings) {
    grid_ = std::move(grid);
    rowOrder_ = std::move(rowOrder);
    headings_ = std::move(headings);
    calendar_ = std::move(calendar);
    if (calendar_.dates.empty()) {
        calendar_.dates = grid_->dates;
        calendar_.gridColumns.resize(grid_->dates.size());
        for (size_t i = 0; i < grid_->dates.size(); ++i)
            calendar_.gridColumns[i] = static_cast<int>(i);
    }
    tiles_.setGrid(grid_, rowOrder_, calendar_.gridColumns);
    QStringList numbers;
    numbers.reserve(static_cast<qsizetype>(rowOrder_.size()));
    for (int row : rowOrder_) {
        numbers.append(row < 0 ? QString()
                               : QString::number(grid_->detectors[static_cast<size_t>(row)]));
    }
    QStringList dates;
    std::vector<bool> weekends;
    std::vector<bool> missing;
    for (size_t i = 0; i < calendar_.dates.size(); ++i) {
        dates.append(QString::fromStdString(calendar_.dates[i]));
        weekends.push_back(history::isWeekend(calendar_.dates[i]));
        missing.push_back(calendar_.gridColumns[i] < 0);
    }
    detectors_->setLabels(numbers);
    dates_->setLabels(dates);
    dates_->setMarked(std::move(outageDates));
    dates_->setShaded(std::move(weekends));
    dates_->setDimmed(std::move(missing));
    detectors_->setHighlighted(marked_ ? displayRowOf(*marked_) : -1);
    updateScrollRanges();
    viewport()->update();
}

int HistoryGridView::gridColumnOf(int column) const {
    if (column < 0 || static_cast<size_t>(column) >= calendar_.gridColumns.size()) return -1;
    return calendar_.gridColumns[static_cast<size_t>(column)];
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
        if (rowOrder_[i] >= 0 && grid_->detectors[static_cast<size_t>(rowOrder_[i])] == det)
            return static_cast<int>(i);
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
    int gridRow = rowOrder_[static_cast<size_t>(row)];
    if (gridRow < 0) return std::nullopt;  // a heading
    return Cell{grid_->detectors[static_cast<size_t>(gridRow)], column};
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
    paintHeadings(painter, x0, y0);
    if (marked_) {
        int row = displayRowOf(*marked_);
        if (row >= 0) {
            painter.setPen(QPen(palette().highlight(), 2));
            painter.drawRect(
                QRect(-x0, row * cellSize() - y0, tiles_.columns() * cellSize(), cellSize()));
        }
    }
}

// A heading's text stays at the left of the view while the picture scrolls sideways; it is
// written only where the rows are tall enough for it.
void HistoryGridView::paintHeadings(QPainter& painter, int, int y0) {
    if (headings_.empty() || cellSize() < fontMetrics().height() - 4) return;
    const int first = std::max(0, y0 / cellSize());
    const int last = std::min(tiles_.rows() - 1, (y0 + viewport()->height()) / cellSize());
    QFont bold = font();
    bold.setBold(true);
    for (int i = first; i <= last; ++i) {
        int row = rowOrder_[static_cast<size_t>(i)];
        if (row >= 0) continue;
        const RowHeading& heading = headings_[static_cast<size_t>(-1 - row)];
        painter.setFont(heading.level == 0 ? bold : font());
        painter.setPen(palette().color(QPalette::WindowText));
        QRect box(4 + heading.level * 12, i * cellSize() - y0, viewport()->width(), cellSize());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, heading.text);
    }
    painter.setFont(font());
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
