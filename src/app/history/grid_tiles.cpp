#include "app/history/grid_tiles.h"

#include <algorithm>

#include "app/history/verdict_colors.h"

namespace sorvane::app {

namespace {

constexpr int kTilePixels = 256;
constexpr int kCacheKilobytes = 64 * 1024;  // some 250 tiles: several screens full
constexpr int kSmallestCellWithLines = 4;   // below this a line would hide the cell
constexpr int kHatchSpacing = 4;            // pixels between the stripes of a missing date

}  // namespace

GridTiles::GridTiles() : cache_(kCacheKilobytes) {}

void GridTiles::setGrid(std::shared_ptr<const history::LedgerGrid> grid, std::vector<int> rowOrder,
                        std::vector<int> columns) {
    grid_ = std::move(grid);
    rowOrder_ = std::move(rowOrder);
    columns_ = std::move(columns);
    if (columns_.empty() && grid_) {
        columns_.resize(grid_->dates.size());
        for (size_t i = 0; i < columns_.size(); ++i)
            columns_[i] = static_cast<int>(i);
    }
    cache_.clear();
}

void GridTiles::setCellSize(int pixels) {
    cellSize_ = std::max(1, pixels);
    cellsPerTile_ = std::max(1, kTilePixels / cellSize_);
    cache_.clear();
}

const QImage& GridTiles::tile(int tileRow, int tileColumn) {
    quint64 key = (static_cast<quint64>(static_cast<quint32>(tileRow)) << 32) |
                  static_cast<quint32>(tileColumn);
    if (QImage* cached = cache_.object(key)) return *cached;
    auto* image = new QImage(render(tileRow, tileColumn));
    int kilobytes = std::max(1, static_cast<int>(image->sizeInBytes() / 1024));
    if (cache_.insert(key, image, kilobytes)) return *cache_.object(key);
    uncached_ = render(tileRow, tileColumn);  // larger than the whole cache: never at 256 pixels
    return uncached_;
}

// Writes the pixels line by line: each cell a square of its colour, with a line of the grid's
// colour along its right and bottom edges once cells are large enough to spare it. A date the
// ledger lacks is hatched, the stripes running on from cell to cell; a heading row is a band.
QImage GridTiles::render(int tileRow, int tileColumn) const {
    int firstRow = tileRow * cellsPerTile_;
    int firstColumn = tileColumn * cellsPerTile_;
    int rowCount = std::clamp(rows() - firstRow, 0, cellsPerTile_);
    int columnCount = std::clamp(columns() - firstColumn, 0, cellsPerTile_);
    QImage image(std::max(1, columnCount * cellSize_), std::max(1, rowCount * cellSize_),
                 QImage::Format_RGB32);
    image.fill(QColor(verdictColor(history::CellVerdict::NoRecord)));
    const int line = cellSize_ >= kSmallestCellWithLines ? 1 : 0;
    std::vector<int> missing;  // tile columns of dates the ledger lacks
    for (int c = 0; c < columnCount; ++c) {
        if (columns_[static_cast<size_t>(firstColumn + c)] < 0) missing.push_back(c);
    }
    const int x0 = firstColumn * cellSize_;
    std::vector<QRgb> pixels(static_cast<size_t>(image.width()));
    for (int r = 0; r < rowCount; ++r) {
        int gridRow = rowOrder_[static_cast<size_t>(firstRow + r)];
        if (gridRow < 0) {
            std::fill(pixels.begin(), pixels.end(), kHeadingRowColor);
        } else {
            for (int c = 0; c < columnCount; ++c) {
                int gridColumn = columns_[static_cast<size_t>(firstColumn + c)];
                QRgb color = gridColumn < 0
                                 ? kMissingDateColor
                                 : verdictColor(grid_->at(static_cast<size_t>(gridRow),
                                                          static_cast<size_t>(gridColumn)));
                auto cell = pixels.begin() + c * cellSize_;
                std::fill(cell, cell + cellSize_ - line, color);
                std::fill(cell + cellSize_ - line, cell + cellSize_, kGridLineColor);
            }
        }
        const int y0 = (firstRow + r) * cellSize_;
        for (int y = 0; y < cellSize_; ++y) {
            auto* scanLine = reinterpret_cast<QRgb*>(image.scanLine(r * cellSize_ + y));
            if (y >= cellSize_ - line) {
                std::fill(scanLine, scanLine + image.width(), kGridLineColor);
                continue;
            }
            std::copy(pixels.begin(), pixels.end(), scanLine);
            if (gridRow < 0) continue;
            for (int c : missing) {
                for (int x = c * cellSize_; x < (c + 1) * cellSize_ - line; ++x) {
                    if ((x0 + x + y0 + y) % kHatchSpacing == 0) scanLine[x] = kHatchColor;
                }
            }
        }
    }
    return image;
}

}  // namespace sorvane::app
