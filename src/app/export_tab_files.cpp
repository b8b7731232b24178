// The files the "Export " tab names: the detector-list file it loads into the ID box, and the
// destination of the export.
#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/export_tab.h"
#include "app/qt_text.h"
#include "common/text_file.h"
#include "export/id_list.h"

namespace sorvane::app {

void ExportTab::cmdDetFile_Click() {
    FileDialogRequest request =
        fileRequestFor(QStringLiteral("Select a detector list file"), QStringLiteral("txt"));
    request.mustExist = true;
    request.folder = state_.folders.folderFor(FileKind::IdList);
    std::optional<QString> path = dialogs_.openFile(request);
    if (!path) return;
    state_.folders.remember(FileKind::IdList, *path);
    // A file that cannot be read throws, naming the file and the reason.
    ParsedIds parsed = parseIdList(ReadTextFile(toNativePath(*path)));
    if (!parsed.accepted()) {
        dialogs_.message(MessageIcon::Information, kAppTitle,
                         toQString(idListErrorMessage(parsed.error)));
        return;
    }
    txtDetIDs->setPlainText(toQString(joinIds(parsed.ids)));
}

void ExportTab::cmdSBrowse_Click() {
    FileDialogRequest request =
        fileRequestFor(QStringLiteral("Select the output *.csv file"), QStringLiteral("csv"));
    request.confirmOverwrite = true;
    QString current = txtDestFile->text();
    if (!current.isEmpty())
        request.initialName = fromNativePath(fileNamePart(toNativePath(current)));
    request.folder = state_.folders.folderFor(FileKind::Csv);
    std::optional<QString> path = dialogs_.saveFile(request);
    if (!path) return;
    state_.folders.remember(FileKind::Csv, *path);
    txtDestFile->setText(*path);
}

}  // namespace sorvane::app
