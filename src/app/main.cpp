#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <iostream>

#include "app/dialogs.h"
#include "app/frm_traffic_extrac.h"
#include "app/qt_dialogs.h"
#include "app/qt_text.h"
#include "app/screenshots.h"
#include "common/error.h"
#include "common/failure.h"
#include "common/program_folder.h"
#include "health/settings_file.h"

namespace {

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(sorvane::app::kAppTitle));
    QApplication::setApplicationVersion(QStringLiteral("3.5"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sorvane: detector data and health test of TMC *.traffic archives"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("archive"),
                                 QStringLiteral("A *.traffic archive to load at start-up."),
                                 QStringLiteral("[ARCHIVE]"));
    QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                   QStringLiteral("Save a PNG of each tab into DIR and quit."),
                                   QStringLiteral("DIR"));
    screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshots);
    parser.process(app);

    // An installed program starts with the factory settings in a per-user folder of its own.
    sorvane::ProgramFolder folder = sorvane::findProgramFolder();
    try {
        sorvane::prepareProgramFolder(folder, {sorvane::modUtility::kSettingsFileName});
    } catch (const sorvane::SorvaneError& e) {
        std::cerr << "sorvane: " << e.description() << '\n';  // the window starts all the same
    }

    sorvane::app::QtDialogs dialogs;
    sorvane::app::frmTrafficExtrac window(sorvane::app::fromNativePath(folder.path), dialogs);
    window.show();
    const QStringList archives = parser.positionalArguments();
    if (!archives.isEmpty()) window.openArchive(QFileInfo(archives.first()).absoluteFilePath());

    if (parser.isSet(screenshots)) {
        bool saved = sorvane::app::saveScreenshots(window, parser.value(screenshots));
        window.close();
        return saved ? 0 : 1;
    }
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    // Each handler reports memory that runs out during its work; this is the last resort.
    try {
        return runWindow(argc, argv);
    } catch (...) {
        std::cerr << "Sorvane: " << sorvane::describeCurrentFailure("the window").description
                  << '\n';
        return 1;
    }
}
