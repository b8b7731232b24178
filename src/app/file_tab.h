#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace sorvane::app {

// Tab "File": choosing and loading the archive, the log, leaving the program. The main window
// answers its buttons, whose work spans every tab. The box shows the path of the archive that
// is loading, or else of the loaded one.
class FileTab : public QWidget {
    Q_OBJECT
  public:
    explicit FileTab(QWidget* parent = nullptr);

    // Names the folder that holds the settings file, the reports and Log.txt.
    void showProgramFolder(const QString& folder);
    // The archive being loaded, or the loaded one (empty when none).
    void showArchivePath(const QString& path);
    // "Browse and Load" is disabled while an archive loads and while a health test runs.
    void enableLoading(bool enabled);

  signals:
    void browseClicked();   // "Browse and Load"
    void showLogClicked();  // "Show Log"
    void exitClicked();     // "Exit"

  private:
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
