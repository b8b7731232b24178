#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/history/grid_tiles.h"
#include "history/ledger_grid.h"

namespace sorvane::app {

class GridHeader;

// The detectors-by-day picture: one row per detector, one column per date, each cell in the
// colour of its verdict. Cells are painted from cached tiles; the dates above and the detector
// numbers beside stay in view while it scrolls; Ctrl+wheel zooms about the pointer.
class HistoryGridView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // A cell of the picture: the detector of its row and the index of its date.
    struct Cell {
        int16_t det;
        int column;
    };

    explicit HistoryGridView(QWidget* parent = nullptr);

    // `rowOrder` lists the grid's rows from top to bottom; `outageDates` marks the columns of
    // dates with a feed outage. The scroll position stays where it was.
    void setGrid(std::shared_ptr<const history::LedgerGrid> grid, std::vector<int> rowOrder,
                 std::vector<bool> outageDates);
    const history::LedgerGrid* grid() const { return grid_.get(); }

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

    GridTiles tiles_;
    GridHeader* dates_;
    GridHeader* detectors_;
    std::shared_ptr<const history::LedgerGrid> grid_;
    std::vector<int> rowOrder_;
    std::optional<int16_t> marked_;
    std::optional<Cell> pressed_;
};

}  // namespace sorvane::app
