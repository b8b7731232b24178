// The export of the "Export " tab: its input checks, the run and its messages.
#include "app/app_state.h"
#include "app/dialogs.h"
#include "app/export_tab.h"
#include "app/job_runner.h"
#include "app/qt_text.h"
#include "app/tab_choices.h"
#include "common/program_texts.h"
#include "export/id_list.h"

namespace sorvane::app {

namespace {

// The input checks' messages, under the export's own warning title.
constexpr char kExportWarningTitle[] = "Sorvane Warning!!!";
constexpr char kMsgNoArchiveName[] =
    "You must specify the file name (*.trffic) in the first text box!!! Click OK to continue.";

// The ID parser reads CR LF as a blank, as in a typed list; the box hands out bare line feeds.
std::string idText(const QPlainTextEdit* box) {
    QString text = box->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

}  // namespace

void ExportTab::cmdExport_Click() {
    const QString warning = QString::fromLatin1(kExportWarningTitle);
    const std::string archive = state_.hasReader() ? state_.reader().fileName() : std::string();
    if (archive.empty()) {
        dialogs_.message(MessageIcon::Exclamation, warning, QString::fromLatin1(kMsgNoArchiveName));
        return;
    }
    if (txtDetIDs->toPlainText().isEmpty()) {
        dialogs_.message(MessageIcon::Information, warning, toQString(kMsgNoDetectorIds));
        return;
    }
    ParsedIds parsed = parseIdList(idText(txtDetIDs));
    if (!parsed.accepted()) {
        dialogs_.message(MessageIcon::Information, kAppTitle,
                         toQString(idListErrorMessage(parsed.error)));
        return;
    }
    // The export runs on the archive loaded now, whatever is loaded meanwhile; the window
    // answers, and the button waits for the export's end.
    cmdExport->setEnabled(false);
    jobs_.start(
        "the export",
        [archive, ids = std::move(parsed.ids), reader = state_.sharedReader(), chosen = settings(),
         &log = state_.log()](const JobControl&) {
            // A refused destination or ID throws; the message shows the reason, nothing is
            // written.
            exportDetectors(archive, ids, *reader, chosen, log);
        },
        [this, destination = txtDestFile->text()] { exportFinished(destination); },
        [this](const Failure& failure) {
            cmdExport->setEnabled(true);
            dialogs_.message(MessageIcon::Exclamation, kAppTitle, toQString(failure.description));
        });
}

void ExportTab::exportFinished(const QString& destination) {
    cmdExport->setEnabled(true);
    dialogs_.message(MessageIcon::None, kAppTitle, QStringLiteral("Done!"));
    dialogs_.message(MessageIcon::Information, kAppTitle,
                     toQString(kMsgCsvSavedIn) + destination + QStringLiteral("\r\n"));
}

ExportSettings ExportTab::settings() const {
    ExportSettings chosen;
    chosen.intervalPosition = cmbExportInterval->currentIndex();
    chosen.missing = choices_.missing();
    chosen.volumeOnly = optVolume->isChecked();
    chosen.destination = toNativePath(txtDestFile->text());
    return chosen;
}

}  // namespace sorvane::app
