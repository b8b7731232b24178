#pragma once

#include <QDialog>
#include <string>

#include "app/job_runner.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace sorvane::app {

// "Server Ledger...": the connection URI of a ledger on a PostgreSQL server, a test of the
// connection, and opening it. Connecting runs as a job of the history window's runner, so a
// server that does not answer never holds the window up; closing the dialog drops the attempt.
// Passwords come from libpq's own sources; one typed into the URI is used but never shown.
class ServerLedgerDialog : public QDialog {
    Q_OBJECT
  public:
    ServerLedgerDialog(JobRunner& jobs, QWidget* parent);

    // Shows the dialog with `uri` in the field (the server ledger used last, or empty).
    void offer(const QString& uri);
    const QString& status() const;

  signals:
    // A server ledger that opened for reading.
    void chosen(const QString& uri);

  public slots:
    void reject() override;

  private:
    void tryConnection(bool thenOpen);
    void connectionTried(const QString& uri, bool thenOpen, bool reached, const QString& text);
    void setTrying(bool trying);

    JobRunner& jobs_;
    JobRunner::JobId attempt_ = 0;
    QString status_;

    QLineEdit* serverUriEdit_;
    QLabel* connectionStatusLabel_;
    QPushButton* testConnectionButton_;
    QPushButton* openServerButton_;
    QPushButton* cancelServerButton_;
};

}  // namespace sorvane::app
