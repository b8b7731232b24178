#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace sorvane::app {

// The log window "Log Info": a copy of the log text in one box that fills the window.
class frmLog : public QWidget {
    Q_OBJECT
  public:
    explicit frmLog(QWidget* parent = nullptr);

    // Shows the text (CR LF line ends) and brings the window forward; a later call refreshes it.
    void showLog(const QString& logText);

  private:
    QPlainTextEdit* Text1;
};

}  // namespace sorvane::app
