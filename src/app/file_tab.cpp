#include "app/file_tab.h"

#include <QGridLayout>

#include "app/qt_text.h"
#include "app/widget_factory.h"

namespace sorvane::app {

FileTab::FileTab(QWidget* parent) : QWidget(parent) {
    Label1 = makeWrappedLabel(
        this, "Label1",
        QStringLiteral("Browse and selec a \"*.traffic\" file usning the Browse and Load button."));
    txtZipName = makeControl<QLineEdit>(this, "txtZipName");
    // The box shows the archive that is loaded; only loading changes it, so an export can
    // never read one archive under another's name.
    txtZipName->setReadOnly(true);
    Label21 = makeLabel(this, "Label21", QStringLiteral("Selected traffic file name:"), txtZipName);
    cmdBrowse = makeButton(this, "cmdBrowse", QStringLiteral("Browse and Load"));
    Check1 =
        makeCheck(this, "Check1", QStringLiteral("Save the detector  file info to a text file"));
    Command1 = makeButton(this, "Command1", QStringLiteral("Show Log"));
    cmdExit = makeButton(this, "cmdExit", QStringLiteral("Exit"));
    lblProgramFolder = makeWrappedLabel(this, "lblProgramFolder", QString());
    lblProgramFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(Label21, 1, 0, 1, 3);
    grid->addWidget(txtZipName, 2, 0, 1, 2);
    grid->addWidget(cmdBrowse, 2, 2);
    grid->addWidget(Check1, 3, 0, 1, 3);
    grid->addWidget(Command1, 4, 0);
    grid->addWidget(cmdExit, 4, 2);
    grid->addWidget(lblProgramFolder, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    grid->setRowMinimumHeight(3, 40);

    connect(cmdBrowse, &QPushButton::clicked, this, &FileTab::browseClicked);
    connect(Command1, &QPushButton::clicked, this, &FileTab::showLogClicked);
    connect(cmdExit, &QPushButton::clicked, this, &FileTab::exitClicked);
}

void FileTab::showProgramFolder(const QString& folder) {
    lblProgramFolder->setText(QStringLiteral("Settings, reports and Log.txt are kept in: ") +
                              folder);
}

void FileTab::showArchivePath(const QString& path) {
    txtZipName->setText(path);
}

void FileTab::enableLoading(bool enabled) {
    cmdBrowse->setEnabled(enabled);
}

}  // namespace sorvane::app
