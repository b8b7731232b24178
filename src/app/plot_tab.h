#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace sorvane {
class Unzip;
}

namespace sorvane::app {

// Tab "Plot vol/occ": one detector of the loaded archive, its day as a list, its volume total
// over a span and the interval plots.
class PlotTab : public QWidget {
    Q_OBJECT
  public:
    explicit PlotTab(QWidget* parent = nullptr);

    // Start-up: the interval list at "30 sec".
    void fillPlotIntervals();
    // Start-up: empty detector and time selectors, each showing "Select one".
    void clearSelectors();
    // The detector numbers of the reader's detector list, in its order, nothing selected.
    void setDetectorList(const Unzip& reader);
    // Selects entry `position` of cmbDetector and runs its click handling, as a user's choice.
    void selectDetector(int position);
    void enablePlotButtons(bool enabled = true);

    // The click handling of cmbDetector: makes the detector at `position` current.
    void cmbDetector_Click(int position);

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

  signals:
    // A detector became current (by the user or by loading); `position` indexes cmbDetector.
    void detectorSelected(int position);
};

}  // namespace sorvane::app
