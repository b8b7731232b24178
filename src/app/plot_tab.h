#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "archive/detector_day.h"
#include "archive/interval_data.h"
#include "plot/plot_input.h"

namespace sorvane {
class Unzip;
}

namespace sorvane::app {

class AppState;
class Dialogs;

// Tab "Plot vol/occ": one detector of the loaded archive, its day as a list, its volume total
// over a span and the interval plots. The tab holds the shown detector's days and plot data; its
// missing-data option is read by the export too (TabChoices).
class PlotTab : public QWidget {
    Q_OBJECT
  public:
    PlotTab(AppState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // A newly loaded archive: its detector numbers in the reader's order, the plot interval at
    // "30 sec", the plot buttons enabled and the first detector selected as by the user. The
    // previous archive's detector leaves the view. Throws SorvaneError when a member of the
    // first detector cannot be read.
    void showArchive(const Unzip& reader, const QString& date);
    // "Missing Data Options" as it stands.
    MissingOption missing() const { return missing_; }

  signals:
    // A detector became current (by the user or by loading); `position` indexes cmbDetector.
    void detectorSelected(int position);

  private:
    void layOut();
    void setDetectorList(const Unzip& reader);
    void enablePlotButtons(bool enabled);
    // Selects entry `position` of cmbDetector and runs its click handling, as a user's choice.
    void selectDetector(int position);

    // The click handling of cmbDetector: makes the detector at `position` current. Throws
    // SorvaneError when a member of the detector cannot be read.
    void cmbDetector_Click(int position);
    // Loads the detector at `position` of the detector list; false (after its message) when the
    // archive lacks one of its members, which keeps the view of the detector shown before.
    bool LoadSelectedDetector(int position);
    // Aggregates the current day to the plot interval; refills the time selectors (whole day)
    // and List1. Does nothing before a detector's day is loaded.
    void ComputePlotData();
    void cmdDetExtract_Click();
    void btnTotal_Click();
    void cmdScatter_Click();
    void cmdLine_Click();
    void cmdHist_Click();
    // Runs an interval plot after the selection check and opens its chart window.
    template <class Plot>
    void plotSpan(Plot plot);

    // The selectors as the plots and the volume total read them.
    PlotSelection selection() const;
    // Position of the plot interval: a label of the list, or "30 sec" for any other text.
    int plotIntervalPosition() const;

    AppState& state_;
    Dialogs& dialogs_;
    int shownPosition_ = -1;  // the detector whose day the view shows; -1 for none
    DetectorDay rawDay_{};
    DetectorDay imputedDay_{};
    IntervalData plotData_;
    MissingOption missing_ = MissingOption::SetToZero;

    QLabel* Label8;
    QLabel* lblDate;
    QLabel* Label11;
    QComboBox* cmbDetector;
    QLabel* Label17;
    QLineEdit* txtDetID;
    QPushButton* cmdDetExtract;
    QLabel* Label14;
    QLabel* Label3;
    QListWidget* List1;
    QLabel* Label9;
    QComboBox* cmbStartTime;
    QLabel* Label10;
    QComboBox* cmbEndTime;
    QPushButton* btnTotal;
    QLineEdit* txtVolTot;
    QGroupBox* Frame3;
    QLabel* Label12;
    QComboBox* cmbPlotInterval;
    QPushButton* cmdRecomp;
    QGroupBox* Frame1;
    QRadioButton* optNeg;
    QRadioButton* optZero;
    QPushButton* cmdScatter;
    QPushButton* cmdLine;
    QGroupBox* Frame2;
    QRadioButton* optVol;
    QRadioButton* optOcc;
    QPushButton* cmdHist;
};

}  // namespace sorvane::app
