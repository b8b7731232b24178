// Times, on one synthetic day, (a) sorvane-cli health (a process that lists the archive, tests
// every detector and writes the report) and (b) the same run started by
// "Test All Detectors" in the shown main window, from the click until the report is written,
// with its progress, lists and event processing. Prints both and their ratio; the window should
// take at most 1.5 times the command line's time.
//
// Usage: bench_window_health [DETECTORS [REPEATS]]   (default 5000 detectors, 3 repeats; best
// of each). Runs offscreen unless QT_QPA_PLATFORM names another platform (xvfb-run -a works).
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/dialogs.h"
#include "app/frm_traffic_extrac.h"
#include "health/health_parameters.h"
#include "health/settings_file.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"
#include "silent_dialogs.h"

namespace {

using sorvane::app::kTabHealthTest;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// (a) sorvane-cli health on the same archive and settings, as a process of its own.
double commandLineRun(const std::string& archive, const std::string& settings,
                      const std::string& report) {
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    auto start = Clock::now();
    cli.start(QStringLiteral(SORVANE_CLI),
              {QStringLiteral("health"), QString::fromStdString(archive), QStringLiteral("-o"),
               QString::fromStdString(report), QStringLiteral("--settings"),
               QString::fromStdString(settings)});
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0) {
        std::fprintf(stderr, "sorvane-cli health failed\n");
        std::exit(1);
    }
    return millisecondsSince(start);
}

// (b) A click on "Test All Detectors" in the window with the archive loaded.
double windowRun(sorvane::app::frmTrafficExtrac& window) {
    auto* button = window.findChild<QPushButton*>(QStringLiteral("cmdHealth"));
    auto start = Clock::now();
    button->click();  // returns when the report is written
    return millisecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int detectors = argc > 1 ? std::atoi(argv[1]) : 5000;
    int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    namespace fs = std::filesystem;
    fs::path folder =
        fs::temp_directory_path() /
        ("sorvane-bench-window-" + std::to_string(QCoreApplication::applicationPid()));
    fs::create_directories(folder / "program");
    std::string archive = (folder / "day.traffic").string();
    sorvane::synth::DayOptions options;  // sorvane-mkarchive's defaults
    options.detectors = detectors;
    sorvane::synth::writeArchive(
        archive, sorvane::synth::archiveMembers(sorvane::synth::makeDay(options),
                                                sorvane::synth::MemberOrder::Grouped));
    std::string settings = (folder / "program" / "ParamSettings.ini").string();
    sorvane::saveHealthParameters(sorvane::modUtility::SettingsFile(settings),
                                  sorvane::factoryParameterTexts());
    std::printf("day: %d detectors\n", detectors);

    sorvane::bench::SilentDialogs dialogs;
    sorvane::app::frmTrafficExtrac window(QString::fromStdString((folder / "program").string()),
                                          dialogs);
    window.show();
    window.openArchive(QString::fromStdString(archive));
    // The tab is in view, as when the user clicks its button: its progress is painted.
    window.findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(kTabHealthTest);
    QApplication::processEvents();

    double bestCli = 1e300, bestWindow = 1e300;
    for (int r = 0; r < repeats; ++r) {
        bestCli =
            std::min(bestCli, commandLineRun(archive, settings, (folder / "cli.txt").string()));
        bestWindow = std::min(bestWindow, windowRun(window));
    }
    std::printf("(a) sorvane-cli health:         %8.1f ms\n", bestCli);
    std::printf("(b) window, Test All Detectors: %8.1f ms\n", bestWindow);
    std::printf("ratio b/a: %.2f (target at most 1.5); best of %d\n", bestWindow / bestCli,
                repeats);
    window.close();
    fs::remove_all(folder);
    return 0;
}
