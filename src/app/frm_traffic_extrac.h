#pragma once

#include <QLabel>
#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <functional>

#include "app/app_state.h"
#include "app/job_runner.h"
#include "app/tab_choices.h"
#include "common/failure.h"

namespace sorvane::app {

class Dialogs;
class ExportTab;
class FileTab;
class HealthParamTab;
class HealthTestTab;
class PlotTab;
class HistoryWindow;
class frmLog;
class frmSplash;

// The positions of the five tabs of SSTab1.
enum TabIndex : int { kTabFile, kTabPlot, kTabExport, kTabHealthParam, kTabHealthTest, kTabCount };

// The main window: five tabs over one shared application state; it answers the tabs' questions
// about each other's choices. Windows that the program opens (log, splash, charts, history) are
// child windows of this one (Qt::Window), so that closing it closes them all. The archive
// loading is in frm_traffic_extrac_loading.cpp.
class frmTrafficExtrac : public QWidget, public TabChoices {
    Q_OBJECT
  public:
    // `programFolder` holds the settings file and the reports, and receives Log.txt at shut-down.
    frmTrafficExtrac(const QString& programFolder, Dialogs& dialogs, QWidget* parent = nullptr);

    AppState& state() { return state_; }
    frmLog* logWindow() const { return logWindow_; }
    frmSplash* splashWindow() const { return splash_; }

    // Loads an archive named on the command line, as if it had been chosen in the dialog.
    void openArchive(const QString& path);
    // "Show Log".
    void Command1_Click();
    // "Health History...": opens the history window, or brings the open one forward.
    void cmdHistory_Click();
    HistoryWindow* historyWindow() const { return history_; }

    MissingOption missing() const override;
    HealthParameterChoice healthParameters() const override;
    // A job of the window's (a load, a health test, an export) has not yet ended.
    bool busy() const { return jobs_.busy(); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // "Browse and Load": asks for an archive and loads it.
    void cmdBrowse_Click();
    void Form_Load();
    void Form_Unload();
    void writeLogFile();

    // The loading workflow around a way of choosing the archive's path, which may throw
    // (frm_traffic_extrac_loading.cpp).
    void loadChosenArchive(const std::function<QString()>& choosePath);
    void loadArchive(const QString& path);
    void showLoadedArchive(const QString& path, std::shared_ptr<Unzip> reader);
    void reportLoadFailure(const Failure& failure);
    // Puts the path of the archive that is loaded (empty when none) back into txtZipName.
    void showLoadedArchivePath();
    void enableLoading();

    AppState state_;
    // The window's long work: the archive load, the health test, the export. Declared after
    // the state its jobs use, so that it stops them before the state goes.
    JobRunner jobs_;
    bool loading_ = false;
    Dialogs& dialogs_;
    frmLog* logWindow_;
    frmSplash* splash_;
    HistoryWindow* history_ = nullptr;  // made at the first "Health History..."

    QTabWidget* SSTab1;
    FileTab* fileTab;
    PlotTab* plotTab;
    ExportTab* exportTab;
    HealthParamTab* paramTab;
    HealthTestTab* testTab;
    QLabel* Label4;
    QLabel* lblCredit;
};

}  // namespace sorvane::app
