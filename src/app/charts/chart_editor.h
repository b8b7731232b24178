#pragma once

#include <QAbstractAxis>
#include <QAbstractSeries>
#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "app/charts/chart_series.h"

namespace sorvane::app {

class Dialogs;

// The editor of a scatter or line chart: chart title, each axis' title and range (automatic,
// that is fitted to the data, or fixed), each series' colour and visibility, and the image
// export. OK puts the settings on the chart; Cancel leaves it as it was.
class ChartEditor : public QDialog {
    Q_OBJECT
  public:
    // Edits `chart`, shown in the window `owner`, whose automatic ranges are `automaticRanges`.
    ChartEditor(QWidget& owner, QChart* chart, AxisRanges automaticRanges, Dialogs& dialogs);

    struct AxisRow {
        QAbstractAxis* axis;
        QLineEdit* title;
        QCheckBox* automatic;
        QWidget* from;  // a time edit on a time axis, a number box on the others
        QWidget* to;
    };
    struct SeriesRow {
        QAbstractSeries* series;
        QCheckBox* visible;
        QPushButton* colour;
        QColor chosen;
    };

    // Puts the settings on the chart. False, with a message, when a fixed range does not run
    // from a smaller to a larger value; the chart then stays as it was.
    bool apply();
    void accept() override;

    QLineEdit* txtTitle;
    std::vector<AxisRow> axisRows;
    std::vector<SeriesRow> seriesRows;
    QPushButton* cmdSaveImage;
    QPushButton* cmdResetZoom;

  protected:
    void hideEvent(QHideEvent* event) override;

  signals:
    // "Save image...": the chart's window asks for the file and saves it.
    void saveImageRequested();

  private:
    void addAxisRows(QWidget* parent);
    void addSeriesRows(QWidget* parent);
    void chooseColour(size_t row);
    std::pair<double, double> automaticRange(QAbstractAxis* axis) const {
        return automaticRanges_.value(axis, axisRange(axis));
    }

    QChart* chart_;
    AxisRanges automaticRanges_;
    Dialogs& dialogs_;
};

// The value of an axis bound box; a time box gives the time axis' value of its time of day.
double boundValue(const QWidget* box);
void setBoundValue(QWidget* box, double value);

}  // namespace sorvane::app
