#pragma once

#include <QAbstractAxis>
#include <QAbstractSeries>
#include <QChart>
#include <QColor>
#include <QSize>
#include <QValueAxis>
#include <QWidget>
#include <utility>

#include "app/charts/chart_series.h"
#include "app/charts/chart_view.h"
#include "plot/plot_request.h"

namespace sorvane::app {

class Dialogs;
class RecentFolders;

// What a chart window works with: the window that owns it (closing that one closes it), the
// dialogs it asks through, and the folders its image dialog opens in.
struct ChartContext {
    Dialogs& dialogs;
    RecentFolders& folders;
    QWidget* owner = nullptr;
};

// A window that shows one plot request. It belongs to its owner's window, lives until the user
// closes it, and never changes its points. The chart fills the window at every size.
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
    // Asks for an image file (suggesting a name that says what the chart shows, in the folder
    // of the last image saved) and saves the chart into it at the screen's full resolution.
    void saveImageAs();
    // Saves the chart in the format that the file's extension names (PNG, JPEG or BMP); false
    // with the reason in `error` when it cannot.
    bool saveImage(const QString& path, QString& error) const;

  protected:
    // The chart's editor closes with it.
    void closeEvent(QCloseEvent* event) override;

    ChartWindow(const char* name, const PlotRequest& request, ChartContext context,
                QSize clientSize, bool hasEditor);

    // Adds an axis on one side for the series with the range fitted to [low, high], exactly or
    // widened to round numbers, or to round numbers and then a little beyond them so that
    // markers at the ends are drawn whole. That range is the axis' automatic range, which the
    // chart editor offers.
    enum class AxisFit { Exact, Nice, NiceWithMargin };
    void addAxis(QAbstractAxis* axis, Qt::Alignment side, QAbstractSeries* series,
                 const QString& title, double low, double high, AxisFit fit);
    // When either axis shows negatives, lowers the other one's minimum so that both put zero
    // at the same height.
    void alignZeros(QValueAxis* left, QValueAxis* right);
    // A vertical gradient from white at the top to `end` at the bottom.
    void setGradientBackground(const QColor& end);
    // The file name "Save image..." suggests, for a chart that is not one plot request's.
    void setImageName(const QString& name) { imageName_ = name; }

  private:
    void showMenu(const QPoint& globalPosition);

    PlotKind kind_;
    bool hasEditor_;
    Dialogs& dialogs_;
    RecentFolders& folders_;
    QString imageName_;
    AxisRanges automaticRanges_;
};

// Volume over occupancy: red squares, no legend.
class frmGraphS : public ChartWindow {
    Q_OBJECT
  public:
    frmGraphS(const PlotRequest& request, ChartContext context);
};

// Volume ("Vol", left axis) and occupancy ("Occ", right axis) over the time of day; a click on
// a legend entry switches its series on and off.
class frmGraphL : public ChartWindow {
    Q_OBJECT
  public:
    frmGraphL(const PlotRequest& request, ChartContext context);
};

// Bars of the bin counts, each from its bin's lower edge to the next.
class frmGraphH : public ChartWindow {
    Q_OBJECT
  public:
    frmGraphH(const PlotRequest& request, ChartContext context);
};

// Opens a new chart window of the request's kind and returns at once; windows opened earlier
// stay open.
ChartWindow* showPlot(const PlotRequest& request, ChartContext context);

// The image format a file name's extension names ("png", "jpeg", "bmp"); empty for any other.
QByteArray imageFormatOf(const QString& path);
// A name that says what a chart shows: "det-312-line-5min.png".
QString suggestedImageName(const PlotRequest& request);

}  // namespace sorvane::app
