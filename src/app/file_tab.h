#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace sorvane::app {

// Tab "File": choosing and loading the archive, the log, leaving the program. Its buttons are
// wired by the main window, whose handlers span every tab.
class FileTab : public QWidget {
    Q_OBJECT
  public:
    explicit FileTab(QWidget* parent = nullptr);

    // Names the folder that holds the settings file, the reports and Log.txt.
    void showProgramFolder(const QString& folder);

    QLabel* Label1;
    QLabel* Label21;
    QLineEdit* txtZipName;
    QPushButton* cmdBrowse;
    QCheckBox* Check1;  // kept for its caption: nothing reads it
    QPushButton* Command1;
    QPushButton* cmdExit;
    QLabel* lblProgramFolder;
};

}  // namespace sorvane::app
