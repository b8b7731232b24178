#include "app/screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <functional>
#include <iostream>
#include <stdexcept>

#include "app/charts/chart_editor.h"
#include "app/charts/chart_window.h"
#include "app/frm_log.h"
#include "app/frm_splash.h"
#include "app/frm_traffic_extrac.h"
#include "app/history/day_panel.h"
#include "app/history/day_strip_window.h"
#include "app/history/detector_days_window.h"
#include "app/history/history_grid_view.h"
#include "app/history/history_window.h"
#include "app/history/ledger_days_dialog.h"
#include "app/history/repair_list_panel.h"
#include "app/history/server_ledger_dialog.h"

namespace sorvane::app {

namespace {

constexpr std::array<const char*, kTabCount> kTabFiles{"tab-1-file.png", "tab-2-plot.png",
                                                       "tab-3-export.png", "tab-4-health-param.png",
                                                       "tab-5-health-test.png"};
constexpr std::array<const char*, kTabCount> kSmallestTabFiles{
    "tab-1-file-smallest.png", "tab-2-plot-smallest.png", "tab-3-export-smallest.png",
    "tab-4-health-param-smallest.png", "tab-5-health-test-smallest.png"};

// The control named `name` below `root`, as a user's robot finds it.
template <class W>
W& control(QWidget& root, const char* name) {
    W* found = root.findChild<W*>(QString::fromLatin1(name));
    if (found == nullptr) throw std::runtime_error(std::string("no control ") + name);
    return *found;
}

// Runs the event loop until `done` holds (checked every 10 ms), or for a minute at most: the
// window's jobs end and its windows are painted meanwhile.
void settle(const std::function<bool()>& done) {
    constexpr int kTimeoutMs = 60000;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    poll.start(10);
    loop.exec();
}

bool savePicture(QWidget& widget, const QDir& folder, const char* name) {
    settle([] { return true; });
    QString path = folder.filePath(QString::fromLatin1(name));
    if (widget.grab().save(path, "PNG")) return true;
    std::cerr << "sorvane: could not save " << path.toStdString() << '\n';
    return false;
}

// Clicks a button and returns the chart window that the click opened, if any.
ChartWindow* chartOpenedBy(frmTrafficExtrac& window, QAbstractButton* button) {
    QList<ChartWindow*> before = window.findChildren<ChartWindow*>();
    button->click();
    for (ChartWindow* chart : window.findChildren<ChartWindow*>()) {
        if (!before.contains(chart)) return chart;
    }
    return nullptr;
}

bool saveChart(frmTrafficExtrac& window, QAbstractButton* button, const QDir& folder,
               const char* name) {
    ChartWindow* chart = chartOpenedBy(window, button);
    if (chart == nullptr) {
        std::cerr << "sorvane: no chart for " << name << '\n';
        return false;
    }
    return savePicture(*chart, folder, name);
}

// The line chart of a detector with missing data under "Set to -1": the first one the health
// test lists for missing data.
bool saveNegativesChart(frmTrafficExtrac& window, const QDir& folder) {
    QString det;
    for (const char* list : {"lstBaddetect", "lstSuspdetect"}) {
        auto& lines = control<QListWidget>(window, list);
        for (int i = 0; i < lines.count() && det.isEmpty(); ++i) {
            if (lines.item(i)->text().contains(QStringLiteral("missing")))
                det = lines.item(i)->text().section(QLatin1Char(','), 0, 0);
        }
    }
    if (det.isEmpty()) {
        std::cerr << "sorvane: no detector with missing data for chart-line-negatives.png\n";
        return false;
    }
    control<QLineEdit>(window, "txtDetID").setText(det);
    control<QPushButton>(window, "cmdDetExtract").click();
    control<QRadioButton>(window, "optNeg").setChecked(true);
    control<QPushButton>(window, "cmdRecomp").click();
    return saveChart(window, &control<QPushButton>(window, "cmdLine"), folder,
                     "chart-line-negatives.png");
}

// The charts of the shown detector at five minutes, and the editor of its line chart.
bool saveCharts(frmTrafficExtrac& window, const QDir& folder) {
    control<QComboBox>(window, "cmbPlotInterval").setCurrentIndex(5);
    control<QPushButton>(window, "cmdRecomp").click();
    bool saved =
        saveChart(window, &control<QPushButton>(window, "cmdScatter"), folder, "chart-scatter.png");
    saved = saveChart(window, &control<QPushButton>(window, "cmdHist"), folder,
                      "chart-histogram.png") &&
            saved;
    ChartWindow* line = chartOpenedBy(window, &control<QPushButton>(window, "cmdLine"));
    if (line == nullptr) return false;
    saved = savePicture(*line, folder, "chart-line.png") && saved;
    line->openEditor();
    if (auto* editor = line->findChild<ChartEditor*>())
        saved = savePicture(*editor, folder, "chart-editor.png") && saved;
    return saveNegativesChart(window, folder) && saved;
}

// The history window's calendar gaps and a date's verdict in the day panel: the picture's rows
// by corridor and station where the ledger has an inventory, and the panel opened on the date
// with the most High and Susp verdicts (a feed outage's day), its first fault chosen.
bool saveHistoryCalendar(HistoryWindow& history, const QDir& folder) {
    auto& view = control<HistoryGridView>(history, "historyGrid");
    auto& network = control<QRadioButton>(history, "networkOrderOption");
    if (network.isEnabled()) network.click();
    bool saved = savePicture(history, folder, "history-calendar.png");
    const history::LedgerGrid* grid = view.grid();
    int busiest = -1;
    int most = -1;
    for (size_t column = 0; column < view.calendar().dates.size(); ++column) {
        int gridColumn = view.calendar().gridColumns[column];
        if (gridColumn < 0) continue;
        int faults = 0;
        for (size_t row = 0; row < grid->detectors.size(); ++row) {
            history::CellVerdict v = grid->at(row, static_cast<size_t>(gridColumn));
            faults += v == history::CellVerdict::High || v == history::CellVerdict::Susp ||
                      v == history::CellVerdict::FeedOutage;
        }
        if (faults > most) {
            most = faults;
            busiest = static_cast<int>(column);
        }
    }
    if (busiest < 0) return saved;
    history.resize(1600, 900);
    auto& panel = control<DayPanel>(history, "dayPanel");
    bool shown = false;
    QObject::connect(&panel, &DayPanel::verdictShown, &panel, [&shown] { shown = true; });
    emit view.dateClicked(busiest);
    settle([&shown] { return shown; });
    auto& faults = control<QTreeWidget>(panel, "dayFaultsList");
    if (faults.topLevelItemCount() > 0) faults.setCurrentItem(faults.topLevelItem(0));
    if (faults.topLevelItemCount() > 0)
        view.showDetector(static_cast<int16_t>(faults.topLevelItem(0)->text(0).toInt()));
    return savePicture(history, folder, "history-day-panel.png") && saved;
}

// The repair list narrowed to its chronic detectors, the first one's days chart and its strip of
// days.
bool saveRepairsAndDays(HistoryWindow& history, const QDir& folder) {
    auto& label = control<QComboBox>(history, "labelFilter");
    label.setCurrentIndex(std::max(1, label.findText(QStringLiteral("chronic"))));
    auto& table = control<QTableView>(history, "repairList");
    if (table.model()->rowCount() == 0) return true;
    table.setCurrentIndex(table.model()->index(0, 0));
    table.setFocus();
    // Wide enough for the picture and every column of the table.
    QSize size = history.size();
    history.resize(1640, size.height());
    if (auto* splitter = history.findChild<QSplitter*>()) splitter->setSizes({560, 1060});
    bool saved = savePicture(history, folder, "history-repair-list.png");
    // At its smallest the list's filters, headings and figures are whole (the table scrolls).
    history.resize(history.minimumSizeHint().expandedTo(history.minimumSize()));
    saved = savePicture(history, folder, "history-repair-list-smallest.png") && saved;
    history.resize(size);
    // The days of a detector gone bad lately: its good days give it a baseline.
    for (const char* kind : {"new", "flapping"}) {
        if (int at = label.findText(QString::fromLatin1(kind)); at > 0) {
            label.setCurrentIndex(at);
            break;
        }
    }
    auto det = static_cast<int16_t>(table.model()->index(0, 0).data().toInt());
    DetectorDaysWindow* days = history.openDetectorDays(det);
    if (days == nullptr) return false;
    saved = savePicture(*days, folder, "history-detector-days.png") && saved;
    control<QPushButton>(*days, "showStripButton").click();
    DayStripWindow* strip = nullptr;
    settle([&strip] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<DayStripWindow*>(w); s && s->isVisible()) strip = s;
        return strip != nullptr;
    });
    if (strip == nullptr) return false;
    saved = savePicture(*strip, folder, "history-day-strip.png") && saved;
    strip->close();
    days->close();
    return saved;
}

// The history window on the ledger the settings remember, once its first read is shown. Nothing
// when there is no ledger to show.
bool saveHistory(frmTrafficExtrac& window, const QDir& folder) {
    constexpr int kReadTimeoutMs = 60000;
    window.cmdHistory_Click();
    HistoryWindow& history = *window.historyWindow();
    if (!QFileInfo::exists(history.ledger())) return true;
    history.resize(1200, 900);
    QEventLoop loop;
    QObject::connect(&history, &HistoryWindow::refreshed, &loop, &QEventLoop::quit);
    QTimer::singleShot(kReadTimeoutMs, &loop, &QEventLoop::quit);
    if (history.shown() == nullptr) loop.exec();
    if (history.shown() == nullptr) {
        std::cerr << "sorvane: the history window showed nothing\n";
        return false;
    }
    bool saved = savePicture(history, folder, "history-window.png");
    saved = saveRepairsAndDays(history, folder) && saved;
    return saveHistoryCalendar(history, folder) && saved;
}

// The history window's list of days with its archives checked, and the server ledger dialog.
bool saveLedgerDialogs(frmTrafficExtrac& window, const QDir& folder) {
    HistoryWindow* history = window.historyWindow();
    if (history == nullptr || history->shown() == nullptr) return true;
    bool updated = false;
    control<QPushButton>(*history, "ledgerDaysButton").click();
    auto& days = control<LedgerDaysDialog>(*history, "LedgerDaysDialog");
    QObject::connect(&days, &LedgerDaysDialog::updated, [&updated] { updated = true; });
    settle([&updated] { return updated; });
    updated = false;
    control<QPushButton>(days, "checkArchivesButton").click();
    settle([&updated] { return updated; });
    days.resize(1100, 460);
    bool saved = savePicture(days, folder, "history-days.png");
    days.close();

    control<QPushButton>(*history, "serverLedgerButton").click();
    auto& server = control<ServerLedgerDialog>(*history, "ServerLedgerDialog");
    control<QLineEdit>(server, "serverUriEdit")
        .setText(QStringLiteral("postgresql://sorvane@dbhost/traffic"));
    saved = savePicture(server, folder, "history-server-ledger.png") && saved;
    server.reject();
    return saved;
}

// Every picture, after a list to export and a finished health test.
bool savePictures(frmTrafficExtrac& window, const QDir& dir) {
    auto jobsEnded = [&window] { return !window.busy(); };
    settle(jobsEnded);  // the archive named on the command line is loaded
    // A list to export and a finished health test, as a user would have them.
    auto& ids = control<QPlainTextEdit>(window, "txtDetIDs");
    if (ids.toPlainText().isEmpty()) ids.setPlainText(QStringLiteral("100,101,102,103,104,105"));
    auto& tabs = control<QTabWidget>(window, "SSTab1");
    if (tabs.isTabEnabled(kTabHealthTest)) control<QPushButton>(window, "cmdHealth").click();
    settle(jobsEnded);

    bool saved = true;
    for (int tab = 0; tab < kTabCount; ++tab) {
        tabs.setCurrentIndex(tab);
        saved = savePicture(window, dir, kTabFiles[static_cast<size_t>(tab)]) && saved;
    }
    // Each tab in the smallest window it can be made: nothing is cut off.
    QSize size = window.size();
    window.resize(window.minimumSize());
    for (int tab = 0; tab < kTabCount; ++tab) {
        tabs.setCurrentIndex(tab);
        saved = savePicture(window, dir, kSmallestTabFiles[static_cast<size_t>(tab)]) && saved;
    }
    window.resize(size);
    tabs.setCurrentIndex(kTabFile);
    window.Command1_Click();
    saved = savePicture(*window.logWindow(), dir, "log-window.png") && saved;
    window.splashWindow()->show();
    saved = savePicture(*window.splashWindow(), dir, "splash.png") && saved;
    window.splashWindow()->close();
    if (control<QComboBox>(window, "cmbDetector").count() > 0)
        saved = saveCharts(window, dir) && saved;
    saved = saveHistory(window, dir) && saved;
    return saveLedgerDialogs(window, dir) && saved;
}

}  // namespace

bool saveScreenshots(frmTrafficExtrac& window, const QString& folder) {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::cerr << "sorvane: could not create " << folder.toStdString() << '\n';
        return false;
    }
    try {
        return savePictures(window, dir);
    } catch (const std::runtime_error& e) {
        std::cerr << "sorvane: " << e.what() << '\n';
        return false;
    }
}

}  // namespace sorvane::app
