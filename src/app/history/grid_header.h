#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

namespace sorvane::app {

// The dates above the grid (Qt::Horizontal, written upwards) or the detector numbers beside it
// (Qt::Vertical). It scrolls with the grid but stays in view; where the cells are smaller than
// the text only every few labels are written. Marked dates are underlined in the outage
// colour, shaded ones (weekends) have a background of their own, dimmed ones (dates the ledger
// lacks) are written grey; a highlighted row is shaded. A click on a label is `clicked`. The
// dates take the keyboard: the arrows, Home and End move a current date, Enter or Space
// clicks it.
class GridHeader : public QWidget {
    Q_OBJECT
  public:
    GridHeader(Qt::Orientation orientation, QWidget* parent);

    void setLabels(QStringList labels);
    void setMarked(std::vector<bool> marked);
    void setShaded(std::vector<bool> shaded);
    void setDimmed(std::vector<bool> dimmed);
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

  signals:
    void clicked(int index);
    // The current label moved by a key, to be scrolled into view.
    void currentMoved(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

  private:
    int labelStep() const;

    Qt::Orientation orientation_;
    QStringList labels_;
    std::vector<bool> marked_;
    std::vector<bool> shaded_;
    std::vector<bool> dimmed_;
    int pressed_ = -1;
    int current_ = 0;
    int highlighted_ = -1;
    int cellSize_ = 12;
    int offset_ = 0;
};

}  // namespace sorvane::app
