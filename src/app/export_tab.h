#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace sorvane::app {

// Tab "Export ": a list of detectors, the destination file, the interval and the data option.
class ExportTab : public QWidget {
    Q_OBJECT
  public:
    explicit ExportTab(QWidget* parent = nullptr);

    // Start-up: the interval list at "30 sec".
    void fillExportIntervals();

    QLabel* Label15;
    QLabel* Label2;
    QPlainTextEdit* txtDetIDs;
    QLabel* Label18;
    QPushButton* cmdDetFile;
    QLabel* Label7;
    QLineEdit* txtDestFile;
    QPushButton* cmdSBrowse;
    QLabel* Label6;
    QComboBox* cmbExportInterval;
    QGroupBox* frmExport;
    QRadioButton* optVolocc;
    QRadioButton* optVolume;
    QPushButton* cmdExport;
};

}  // namespace sorvane::app
