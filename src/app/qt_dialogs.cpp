#include "app/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace sorvane::app {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

std::optional<QStringList> runFileDialog(const FileDialogRequest& request,
                                         QFileDialog::AcceptMode mode,
                                         QFileDialog::FileMode files) {
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(files);
    if (mode == QFileDialog::AcceptSave)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    // The descriptions are shown as the program words them, without Qt's own pattern list. Set
    // before the filters: setting it afterwards fills the list anew and selects its first entry.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < filters.size()) {
        dialog.selectNameFilter(filters[request.selectedFilter]);
    }
    dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.folder.isEmpty()) dialog.setDirectory(request.folder);
    if (!request.initialName.isEmpty()) dialog.selectFile(request.initialName);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        QStringList chosen = dialog.selectedFiles();
        // A file can only be saved into a folder that is there; the dialog stays open.
        QFileInfo info(chosen.constFirst());
        if (mode == QFileDialog::AcceptOpen || info.absoluteDir().exists()) return chosen;
        QMessageBox::warning(&dialog, request.title,
                             QStringLiteral("The folder ") +
                                 QDir::toNativeSeparators(info.absolutePath()) +
                                 QStringLiteral(" does not exist."));
    }
    return std::nullopt;
}

}  // namespace

void QtDialogs::message(MessageIcon icon, const QString& title, const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(qtIcon(icon), title, shown, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

int QtDialogs::ask(MessageIcon icon, const QString& title, const QString& text,
                   const QStringList& choices) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(qtIcon(icon), title, shown, QMessageBox::NoButton,
                    QApplication::activeWindow());
    std::vector<QPushButton*> buttons;
    for (const QString& choice : choices)
        buttons.push_back(box.addButton(choice, QMessageBox::ActionRole));
    if (buttons.empty()) return -1;
    box.setDefaultButton(buttons.back());
    box.setEscapeButton(buttons.back());
    box.exec();
    auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return static_cast<int>(chosen == buttons.end() ? buttons.size() - 1
                                                    : chosen - buttons.begin());
}

std::optional<QDate> QtDialogs::askDate(const QString& title, const QString& text,
                                        const QDate& initial) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    auto* label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    auto* date = new QDateEdit(initial, &dialog);
    date->setObjectName(QStringLiteral("askedDate"));
    date->setAccessibleName(QStringLiteral("Date"));
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date->setCalendarPopup(true);
    label->setBuddy(date);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(date);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return date->date();
}

std::optional<QString> QtDialogs::openFile(const FileDialogRequest& request) {
    auto files = request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
    std::optional<QStringList> chosen = runFileDialog(request, QFileDialog::AcceptOpen, files);
    if (!chosen) return std::nullopt;
    return chosen->constFirst();
}

std::optional<QString> QtDialogs::saveFile(const FileDialogRequest& request) {
    std::optional<QStringList> chosen =
        runFileDialog(request, QFileDialog::AcceptSave, QFileDialog::AnyFile);
    if (!chosen) return std::nullopt;
    return chosen->constFirst();
}

std::optional<QStringList> QtDialogs::openFiles(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}

std::optional<QColor> QtDialogs::chooseColor(QWidget* parent, const QColor& initial,
                                             const QString& title) {
    // A child of its parent on the heap, not on this stack: a parent that goes while the
    // dialog is open takes the dialog with it, and the guard tells.
    QPointer<QColorDialog> dialog = new QColorDialog(initial, parent);
    dialog->setWindowTitle(title);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (dialog.isNull()) return std::nullopt;
    QColor chosen = dialog->selectedColor();
    delete dialog;
    if (!accepted || !chosen.isValid()) return std::nullopt;
    return chosen;
}

QStringList qtNameFilters(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file, also one without a dot in its name.
        if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
        QString suffix = QStringLiteral("(") + patterns + QStringLiteral(")");
        if (description.isEmpty() || description.endsWith(suffix)) {
            filters.append(description.isEmpty() ? suffix : description);
        } else {
            filters.append(description + QStringLiteral(" ") + suffix);
        }
    }
    return filters;
}

}  // namespace sorvane::app
