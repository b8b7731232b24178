#pragma once

#include <QCache>
#include <QImage>
#include <memory>
#include <vector>

#include "history/ledger_grid.h"

namespace sorvane::app {

// The cells of a grid drawn into images of about 256 × 256 pixels, each made when first asked
// for and kept until the grid, the row order or the cell size change. A picture of thousands of
// detectors by hundreds of days is then painted from a few images, never cell by cell.
class GridTiles {
  public:
    GridTiles();

    // `rowOrder` lists the grid's rows from top to bottom, a negative entry being a heading row
    // (a band of its own colour). `columns` lists the grid's columns from left to right, -1
    // being a date the ledger lacks (hatched); empty, the grid's columns as they are.
    void setGrid(std::shared_ptr<const history::LedgerGrid> grid, std::vector<int> rowOrder,
                 std::vector<int> columns = {});
    // Pixels per cell, lines between cells included.
    void setCellSize(int pixels);

    int cellSize() const { return cellSize_; }
    int cellsPerTile() const { return cellsPerTile_; }
    int rows() const { return static_cast<int>(rowOrder_.size()); }
    int columns() const { return static_cast<int>(columns_.size()); }

    // The tile of cells [tileRow × cellsPerTile, ...) by [tileColumn × cellsPerTile, ...); tiles
    // at the right and bottom edges hold only the cells there are. Valid until the next call.
    const QImage& tile(int tileRow, int tileColumn);

  private:
    QImage render(int tileRow, int tileColumn) const;

    std::shared_ptr<const history::LedgerGrid> grid_;
    std::vector<int> rowOrder_;
    std::vector<int> columns_;
    int cellSize_ = 12;
    int cellsPerTile_ = 21;
    QCache<quint64, QImage> cache_;
    QImage uncached_;
};

}  // namespace sorvane::app
