#pragma once

#include <QStringList>

#include "app/dialogs.h"

namespace sorvane::app {

// The dialogs of the running program: QMessageBox, QFileDialog and QColorDialog, modal to the
// active window.
class QtDialogs : public Dialogs {
  public:
    void message(MessageIcon icon, const QString& title, const QString& text) override;
    int ask(MessageIcon icon, const QString& title, const QString& text,
            const QStringList& choices) override;
    std::optional<QDate> askDate(const QString& title, const QString& text,
                                 const QDate& initial) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QStringList> openFiles(const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial,
                                      const QString& title) override;
};

// Qt's name filters for a description|pattern filter text: "*.traffic files|*.traffic" becomes
// "*.traffic files (*.traffic)"; a description that already ends with its patterns in
// parentheses stays as it is; patterns separated by ';' are separated by blanks, and "*.*"
// becomes "*" so that names without a dot are listed too.
QStringList qtNameFilters(const QString& filter);

}  // namespace sorvane::app
