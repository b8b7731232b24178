#pragma once

#include <QAbstractAxis>
#include <QAbstractSeries>
#include <QChart>
#include <QColor>
#include <QSize>
#include <QWidget>
#include <utility>

#include "app/charts/chart_series.h"
#include "app/charts/chart_view.h"
#include "plot/plot_request.h"

namespace sorvane::app {

class Dialogs;

// A window that shows one plot request. It belongs to the window that opened it (closing that
// one closes it), lives until the user closes it, and never changes its points. The chart
// fills the window at every size.
class ChartWindow : public QWidget {
    Q_OBJECT
  public:
    ChartView* TChart1;

    QChart* chart() const { return TChart1->chart(); }
    PlotKind kind() const { return kind_; }
    bool hasEditor() const { return hasEditor_; }

    // The chart editor of the scatter and line charts (non-modal); nothing for a histogram.
    void openEditor();
    void resetZoom();
    // Asks for a PNG file and saves the chart into it at the screen's full resolution.
    void saveImageAs();
    // Saves the chart as a PNG; false with the reason in `error` when it cannot.
    bool saveImage(const QString& path, QString& error) const;

  protected:
    // The chart's editor closes with it.
    void closeEvent(QCloseEvent* event) override;

    ChartWindow(const char* name, const PlotRequest& request, Dialogs& dialogs, QWidget* owner,
                QSize clientSize, bool hasEditor);

    // Adds an axis on one side for the series with the range fitted to [low, high], exactly or
    // widened to round numbers, or to round numbers and then a little beyond them so that
    // markers at the ends are drawn whole. That range is the axis' automatic range, which the
    // chart editor offers.
    enum class AxisFit { Exact, Nice, NiceWithMargin };
    void addAxis(QAbstractAxis* axis, Qt::Alignment side, QAbstractSeries* series,
                 const QString& title, double low, double high, AxisFit fit);
    // A vertical gradient from white at the top to `end` at the bottom.
    void setGradientBackground(const QColor& end);

  private:
    void showMenu(const QPoint& globalPosition);

    PlotKind kind_;
    bool hasEditor_;
    Dialogs& dialogs_;
    AxisRanges automaticRanges_;
};

// Volume over occupancy: red squares, no legend.
class frmGraphS : public ChartWindow {
    Q_OBJECT
  public:
    frmGraphS(const PlotRequest& request, Dialogs& dialogs, QWidget* owner);
};

// Volume ("Vol", left axis) and occupancy ("Occ", right axis) over the time of day; a click on
// a legend entry switches its series on and off.
class frmGraphL : public ChartWindow {
    Q_OBJECT
  public:
    frmGraphL(const PlotRequest& request, Dialogs& dialogs, QWidget* owner);
};

// Bars of the bin counts, each from its bin's lower edge to the next.
class frmGraphH : public ChartWindow {
    Q_OBJECT
  public:
    frmGraphH(const PlotRequest& request, Dialogs& dialogs, QWidget* owner);
};

// Opens a new chart window of the request's kind, owned by `owner`'s window, and returns at
// once; windows opened earlier stay open.
ChartWindow* showPlot(const PlotRequest& request, Dialogs& dialogs, QWidget* owner);

}  // namespace sorvane::app
