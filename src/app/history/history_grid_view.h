#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/history/grid_tiles.h"
#include "history/calendar.h"
#include "history/ledger_grid.h"

namespace sorvane::app {

class GridHeader;

// The detectors-by-day picture: one row per detector, one column per date of the calendar, each
// cell in the colour of its verdict, dates the ledger lacks hatched; heading rows may group the
// detectors. Cells are painted from cached tiles; the dates above and the detector
// numbers beside stay in view while it scrolls; Ctrl+wheel zooms about the pointer.
class HistoryGridView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // A cell of the picture: the detector of its row and the index of its date in the calendar.
    struct Cell {
        int16_t det;
        int column;
    };
    // A row that heads a group of detectors, its text written across the picture; level 0
    // heads the groups of level 1.
    struct RowHeading {
        QString text;
        int level = 0;
    };

    explicit HistoryGridView(QWidget* parent = nullptr);

    // `rowOrder` lists the grid's rows from top to bottom, -1 - h standing for `headings[h]`;
    // `calendar` gives the columns (empty: the grid's dates); `outageDates` marks the columns of
    // dates with a feed outage. The scroll position stays where it was.
    void setGrid(std::shared_ptr<const history::LedgerGrid> grid, std::vector<int> rowOrder,
                 std::vector<bool> outageDates, history::Calendar calendar = {},
                 std::vector<RowHeading> headings = {});
    const history::LedgerGrid* grid() const { return grid_.get(); }
    const history::Calendar& calendar() const { return calendar_; }
    // The grid's column of a calendar column, -1 for a date the ledger lacks.
    int gridColumnOf(int column) const;

    // Pixels per cell; zooming keeps the cell under `anchor` (a viewport point) in its place.
    int cellSize() const { return tiles_.cellSize(); }
    void zoom(int steps, QPoint anchor);

    // Scrolls the detector's row into view and marks it.
    void showDetector(int16_t det);

    std::optional<Cell> cellAt(QPoint viewportPoint) const;
    // The cell's rectangle in viewport coordinates; empty when the grid has no such cell.
    QRect cellRect(int16_t det, int column) const;

    // The tiles the picture is painted from.
    GridTiles& tiles() { return tiles_; }

    // The tooltips of a cell and of a date in the header.
    std::function<QString(const Cell& cell)> cellToolTip;
    std::function<QString(int column)> dateToolTip;

  signals:
    void cellClicked(int16_t det, int column);
    void dateClicked(int column);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void setCellSize(int pixels);
    void updateScrollRanges();
    void placeHeaders();
    int displayRowOf(int16_t det) const;
    void paintHeadings(QPainter& painter, int x0, int y0);

    GridTiles tiles_;
    GridHeader* dates_;
    GridHeader* detectors_;
    std::shared_ptr<const history::LedgerGrid> grid_;
    std::vector<int> rowOrder_;
    history::Calendar calendar_;
    std::vector<RowHeading> headings_;
    std::optional<int16_t> marked_;
    std::optional<Cell> pressed_;
};

}  // namespace sorvane::app
