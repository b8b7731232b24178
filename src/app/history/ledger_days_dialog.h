#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "app/job_runner.h"
#include "history/archive_check.h"
#include "history/ledger_days_text.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace sorvane::app {

class Dialogs;

// "Days...": the ledger's days as `sorvane-cli history days` lists them (the same fields, from
// the same code), the dates it lacks, removing days and checking their archives. Reads, removals
// and checks run as jobs of the history window's runner.
class LedgerDaysDialog : public QDialog {
    Q_OBJECT
  public:
    LedgerDaysDialog(JobRunner& jobs, Dialogs& dialogs, QWidget* parent);

    // Lists the days of the ledger at `location`; `caption` names it in the title.
    void showLedger(const std::string& location, const QString& caption);
    // Reads the list again (days were added or removed).
    void refresh();
    // The dates of the rows listed, in order; empty before the first read.
    std::vector<std::string> listedDates() const;

  signals:
    // Days were removed: the window reads the ledger again.
    void daysRemoved();
    // A read, a removal or a check ended.
    void updated();

  private:
    void showList(const history::LedgerDaysList& list);
    void removeChosen();
    void checkArchives();
    void showChecks(const std::vector<history::ArchiveCheck>& checks);
    void showFailure(const QString& what, const Failure& failure);
    void setStatus(const QString& text);

    JobRunner& jobs_;
    Dialogs& dialogs_;
    std::string location_;
    // Only the newest read is shown: a read of another ledger may end after it.
    int readsAsked_ = 0;

    QTableWidget* daysTable_;
    QLabel* missingDatesLabel_;
    QLabel* daysStatusLabel_;
    QPushButton* removeDaysButton_;
    QPushButton* checkArchivesButton_;
    QPushButton* closeDaysButton_;
};

}  // namespace sorvane::app
