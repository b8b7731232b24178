#pragma once

#include <QChartView>
#include <QPoint>

namespace sorvane::app {

// The chart of a chart window with the mouse and keys chart users expect: drag with the left
// button to zoom into a rectangle, right click for the chart's menu, double click for the
// editor, Home or Escape to undo every zoom. With horizontal panning a drag with the right
// button (or the Left and Right keys) moves the chart along its time axis.
class ChartView : public QChartView {
    Q_OBJECT
  public:
    ChartView(QChart* chart, QWidget* parent);

    void setHorizontalPanning(bool allowed) { panning_ = allowed; }
    bool horizontalPanning() const { return panning_; }

  signals:
    void editRequested();
    void menuRequested(const QPoint& globalPosition);

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool panning_ = false;
    bool rightDown_ = false;
    bool dragged_ = false;
    QPoint lastPosition_;
};

}  // namespace sorvane::app
