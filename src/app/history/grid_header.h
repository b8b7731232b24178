#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

namespace sorvane::app {

// The dates above the grid (Qt::Horizontal, written upwards) or the detector numbers beside it
// (Qt::Vertical). It scrolls with the grid but stays in view; where the cells are smaller than
// the text only every few labels are written. Marked dates are underlined in the outage
// colour; a highlighted row is shaded.
class GridHeader : public QWidget {
    Q_OBJECT
  public:
    GridHeader(Qt::Orientation orientation, QWidget* parent);

    void setLabels(QStringList labels);
    void setMarked(std::vector<bool> marked);
    void setHighlighted(int index);
    void setCellSize(int pixels);
    // The grid's scroll position along the header, in pixels.
    void setOffset(int pixels);

    // The label's index under a point of the header, or -1.
    int indexAt(QPoint point) const;
    // The tooltip of a label, when it has one.
    std::function<QString(int index)> toolTipOf;

    // The room the widest label needs across the header.
    int thickness() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    int labelStep() const;

    Qt::Orientation orientation_;
    QStringList labels_;
    std::vector<bool> marked_;
    int highlighted_ = -1;
    int cellSize_ = 12;
    int offset_ = 0;
};

}  // namespace sorvane::app
