#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace sorvane::app {

// The title of the program's message boxes.
inline constexpr char kAppTitle[] = "Sorvane";

enum class MessageIcon { None, Information, Exclamation, Critical };

// What an open-file or save-file dialog offers. `filter` holds description|pattern pairs
// separated by '|' ("All files (*.*)|*.*|*.traffic files|*.traffic"); `selectedFilter` is the
// 0-based pair shown first.
struct FileDialogRequest {
    QString title;
    QString filter;
    int selectedFilter = 0;
    QString defaultExtension;  // added to a typed name that has none
    QString folder;            // the folder the dialog opens in
    QString initialName;
    bool mustExist = false;         // open: only an existing file can be chosen
    bool confirmOverwrite = false;  // save: ask before an existing file is chosen
};

// The request of a dialog for files of one extension: filters "All files (*.*)" and
// "*.<ext> files" with the second preselected, <ext> added to a typed name without one.
inline FileDialogRequest fileRequestFor(const QString& title, const QString& extension) {
    FileDialogRequest request;
    request.title = title;
    request.filter = QStringLiteral("All files (*.*)|*.*|*.%1 files|*.%1").arg(extension);
    request.selectedFilter = 1;
    request.defaultExtension = extension;
    return request;
}

// Every message box, file dialog and colour dialog of the window goes through this interface, so
// that tests can answer them without a blocking dialog.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A message box with the icon, the title, the text and an OK button. Texts may hold CR LF.
    virtual void message(MessageIcon icon, const QString& title, const QString& text) = 0;

    // A question: the text with one button per choice. The last choice, the one that changes
    // nothing, is the default and what closing the box (Escape) answers. Returns the index of the
    // choice made.
    virtual int ask(MessageIcon icon, const QString& title, const QString& text,
                    const QStringList& choices) = 0;
    // A date chosen on a calendar, starting from `initial`, or nullopt when the user cancels.
    virtual std::optional<QDate> askDate(const QString& title, const QString& text,
                                         const QDate& initial) = 0;

    // The chosen path, or nullopt when the user cancels.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    // Existing files, one or more, or nullopt when the user cancels.
    virtual std::optional<QStringList> openFiles(const FileDialogRequest& request) = 0;

    // The colour the user picks, starting from `initial`, or nullopt when the user cancels. The
    // dialog belongs to `parent`: it closes when `parent` hides or goes (answering nullopt).
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial,
                                              const QString& title) = 0;
};

}  // namespace sorvane::app
