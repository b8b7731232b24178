// The health history window: the colours of the cells, a cell's tooltip, a click to the day's
// chart (or the message for a missing archive), the CSV and repair list against
// `sorvane-cli history report`, and archives added while the window stays usable.
#include "app/history/history_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>
#include <set>

#include "app/history/history_grid_view.h"
#include "app/history/ledger_worker.h"
#include "app/history/verdict_colors.h"
#include "app_test_support.h"
#include "history/sqlite_db.h"

using namespace sorvane;
using namespace sorvane::app;
using history::Attribution;
using history::CellVerdict;
using modBaddet::DecisionStep;
using modBaddet::HealthClass;

namespace {

history::DetectorDayRecord record(const char* date, int16_t det, HealthClass healthClass,
                                  DecisionStep step, Attribution attribution) {
    history::DetectorDayRecord r;
    r.date = date;
    r.det = det;
    r.healthClass = healthClass;
    r.step = step;
    r.attribution = attribution;
    if (healthClass == HealthClass::Excluded) return r;
    r.reason = "Reason of " + std::to_string(det);
    r.measures = modBaddet::HealthMeasures{700, 3, 0, 0.81234, 2, 1, 4.5f, 12.3f, 40, 5, 2180.0};
    r.outageMissing = 0;
    r.status = DailyStatus::InsufficientData;
    return r;
}

// A ledger of two days in the program folder, where the window looks first. 2024-03-01 has
// every kind of verdict and a feed outage, and its archive is there; the archive of
// 2024-03-02, which records only 101 and 102, is gone.
struct LedgerFixture : test::HistoryFixture {
    LedgerFixture() {
        std::string archive =
            makeDetectorArchive(data(), "20240301.traffic", {101, 102, 103, 104, 105, 106})
                .toStdString();
        history::LedgerStore store(ledger, history::LedgerStore::Access::Add);
        using Verdict = std::tuple<int16_t, HealthClass, DecisionStep, Attribution>;
        auto add = [&](const char* date, const std::string& path, std::vector<Verdict> verdicts,
                       std::vector<history::FeedOutage> outages) {
            history::DayRecord day{date, path,   static_cast<int>(verdicts.size()), "", "",
                                   {},   outages};
            for (auto [det, healthClass, step, attribution] : verdicts)
                day.rows.push_back(record(date, det, healthClass, step, attribution));
            store.writeDay(day);
        };
        add("2024-03-01", archive,
            {{101, HealthClass::High, DecisionStep::Missing, Attribution::Detector},
             {102, HealthClass::Susp, DecisionStep::LockOn, Attribution::Detector},
             {103, HealthClass::Marg, DecisionStep::MidDevIndex, Attribution::None},
             {104, HealthClass::Hlth, DecisionStep::Healthy, Attribution::None},
             {105, HealthClass::High, DecisionStep::Missing, Attribution::FeedOutage},
             {106, HealthClass::Excluded, DecisionStep::Excluded, Attribution::None}},
            {{1200, 1559, 0.95}});
        add("2024-03-02", missingArchive,
            {{101, HealthClass::High, DecisionStep::Missing, Attribution::Detector},
             {102, HealthClass::Hlth, DecisionStep::Healthy, Attribution::None}},
            {});
    }

    std::string missingArchive = data().file("20240302.traffic");
};

// The lines between "Repair list:" (and its header line) and "Feed outages:" of the printed
// report, without their recent_switches: as the table's columns 0, 5, 6, 7, 9 and 10 are.
QStringList repairLinesOf(const std::string& report) {
    QStringList lines = QString::fromStdString(report).split(QLatin1Char('\n'));
    qsizetype first = lines.indexOf(QStringLiteral("Repair list:")) + 2;
    lines = lines.mid(first, lines.indexOf(QStringLiteral("Feed outages:")) - first);
    for (QString& line : lines) {
        QStringList fields = line.split(QStringLiteral(", "));
        fields.removeAt(4);
        line = fields.join(QStringLiteral(", "));
    }
    return lines;
}

}  // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void theGridAndTheRepairListAgreeWithTheCommandLine() {
        LedgerFixture f;
        HistoryWindow& h = f.openHistory();
        QCOMPARE(h.windowTitle(), QStringLiteral("Health History - sorvane-history.sqlite"));
        test::click(h, "numberOrderOption");
        HistoryGridView& view = *test::control<HistoryGridView>(h, "historyGrid");
        QCOMPARE(test::toolTipAt(view.viewport(), view.cellRect(101, 0).center()),
                 QStringLiteral("Date: 2024-03-01\nDetector: 101\nClass: High\n"
                                "Reason: Reason of 101\nDaily status: Insufficient Data\n"
                                "Attribution: detector\nmissing: 700\nzero_run: 3\nlock_on: 0\n"
                                "corr_coef: 0.8123\nocc_spikes: 2\nvol_spikes: 1\n"
                                "dev_index: 4.5\nvol_high_occ: 12.3\nmax_vol5: 40\n"
                                "overcount_slots: 5\nvalid_vol_slots: 2180"));
        QCOMPARE(test::toolTipAt(view.viewport(), view.cellRect(106, 1).center()),
                 QStringLiteral("Date: 2024-03-02\nDetector: 106\nNo record that day"));
        auto* dates = test::control<QWidget>(h, "datesHeader");
        QPoint first(view.cellSize() / 2, dates->height() / 2);
        QCOMPARE(test::toolTipAt(dates, first),
                 QStringLiteral("2024-03-01\nFeed outage 10:00:00-12:59:30 (95.0 %)"));

        QImage tile = view.tiles().tile(0, 0).copy();
        const int size = view.cellSize();
        struct Cell {
            int row;  // 101 to 106 from the top
            int column;
            CellVerdict verdict;
        };
        const Cell cells[] = {
            {0, 0, CellVerdict::High},       {1, 0, CellVerdict::Susp},
            {2, 0, CellVerdict::Marg},       {3, 0, CellVerdict::Hlth},
            {4, 0, CellVerdict::FeedOutage}, {5, 0, CellVerdict::Excluded},
            {0, 1, CellVerdict::High},       {1, 1, CellVerdict::Hlth},
            {2, 1, CellVerdict::NoRecord},
        };
        for (const Cell& c : cells) {
            QRgb pixel = tile.pixel(c.column * size + size / 2, c.row * size + size / 2);
            QCOMPARE(qRed(pixel) << 16 | qGreen(pixel) << 8 | qBlue(pixel),
                     qRed(verdictColor(c.verdict)) << 16 | qGreen(verdictColor(c.verdict)) << 8 |
                         qBlue(verdictColor(c.verdict)));
        }
        std::set<QRgb> colours;
        for (int v = 0; v < history::kCellVerdictCount; ++v)
            colours.insert(verdictColor(static_cast<CellVerdict>(v)));
        QCOMPARE(colours.size(), size_t{history::kCellVerdictCount});
        // In repair order the one detector to repair comes first.
        test::click(h, "repairOrderOption");
        QCOMPARE(view.cellAt(QPoint(1, 1))->det, int16_t{101});
        QCOMPARE(view.cellAt(QPoint(1, size + 1))->det, int16_t{102});
        // Ctrl+wheel zooms; the tiles are drawn anew at the new size.
        QWheelEvent wheel(QPointF(5, 5), view.viewport()->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        QVERIFY(view.cellSize() < size);
        QCOMPARE(view.tiles().tile(0, 0).width(), 2 * view.cellSize());

        // A click opens the cell's day in a chart, or names the archive that is gone.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellRect(104, 0).center());
        QTRY_COMPARE(test::chartsOf(f.window()).size(), 1);
        QList<ChartWindow*> charts = test::chartsOf(f.window());
        QCOMPARE(charts[0]->windowTitle(),
                 QStringLiteral("Vol/Occ Line Graph: 30 Sec Data - 2024-03-01"));
        QCOMPARE(charts[0]->chart()->title(), QStringLiteral("Detector: 104"));
        QVERIFY(f.dialogs.messages.empty());

        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellRect(101, 1).center());
        QTRY_VERIFY(!f.dialogs.messages.empty());
        QCOMPARE(test::chartsOf(f.window()).size(), 1);
        QCOMPARE(f.dialogs.texts(),
                 QStringList{QStringLiteral("The archive recorded for 2024-03-02 is no longer "
                                            "there: ") +
                             QString::fromStdString(f.missingArchive)});

        // The CSV and the repair list are the command line's.
        auto exported = [&](const char* name) {
            f.dialogs.answers.push_back(f.qfile(name));
            h.findChild<QAction*>(QStringLiteral("exportEveryAction"))->trigger();
            return test::readFile(f.file(name));
        };
        std::string cliCsv = f.data().file("cli.csv");
        std::string printed = f.cli({"report", "--csv", cliCsv});
        QCOMPARE(exported("whole.csv"), test::readFile(cliCsv));
        QCOMPARE(
            test::rowsOf(test::control<QAbstractItemView>(h, "repairList"), {0, 5, 6, 7, 9, 10}),
            repairLinesOf(printed));
        QCOMPARE(
            test::rowsOf(test::control<QAbstractItemView>(h, "repairList"), {0, 5, 6, 7, 9, 10}),
            QStringList{QStringLiteral("101, chronic, 2, 2/2, missing, ")});

        auto* to = test::control<QDateEdit>(h, "toDate");
        QSignalSpy refreshed(&h, &HistoryWindow::refreshed);
        to->setDate(QDate(2024, 3, 1));
        QVERIFY(refreshed.wait(10000));
        printed = f.cli({"report", "--from", "2024-03-01", "--to", "2024-03-01", "--csv", cliCsv});
        QCOMPARE(exported("first.csv"), test::readFile(cliCsv));
        QCOMPARE(
            test::rowsOf(test::control<QAbstractItemView>(h, "repairList"), {0, 5, 6, 7, 9, 10}),
            repairLinesOf(printed));
        QVERIFY(test::control<QLabel>(h, "summaryLabel")
                    ->text()
                    .startsWith(QStringLiteral("Window: 2024-03-01 to 2024-03-01    Days: 1")));
        // Every input of the window and its dialogs is named for a screen reader and on Tab.
        for (const char* button : {"ledgerDaysButton", "serverLedgerButton"})
            test::control<QAbstractButton>(h, button)->click();
        QCOMPARE(test::unnamedInputs(h), (std::pair<QStringList, int>{{}, 13}));
    }
    void archivesAreAddedWhileTheWindowStaysUsable() {
        LedgerFixture f;
        HistoryWindow& h = f.openHistory();

        // A parameter box without a number refuses as the health test does.
        test::openTab(f.window(), kTabHealthParam);
        test::typeInto(f.window(), "txtOccTh", QString());
        test::openTab(f.window(), kTabHealthTest);
        test::click(f.window(), "cmdHealth");
        test::click(h, "addArchivesButton");
        QCOMPARE(f.dialogs.messages.size(), size_t{2});
        QCOMPARE(f.dialogs.messages[1].text, f.dialogs.messages[0].text);
        test::openTab(f.window(), kTabHealthParam);
        test::typeInto(f.window(), "txtOccTh", QStringLiteral("40"));
        f.dialogs.messages.clear();

        std::string fresh = f.data().file("fresh.sqlite");
        f.dialogs.answers.push_back(QString::fromStdString(fresh));
        test::click(h, "newLedgerButton");
        QCOMPARE(h.windowTitle(), QStringLiteral("Health History - fresh.sqlite"));
        QVERIFY(test::readFile(f.file("ParamSettings.ini")).find("Database=" + fresh) !=
                std::string::npos);

        QStringList archives;
        for (const char* name : {"20240401.traffic", "20240402.traffic", "20240403.traffic"})
            archives.append(test::makeDetectorArchive(f.data(), name, {201, 202, 203}));
        archives.append(test::makeDetectorArchive(f.data(), "day.traffic", {201}));
        test::writeFile(f.data().file("20240404.traffic"), "not a zip");
        archives.append(QString::fromStdString(f.data().file("20240404.traffic")));
        f.dialogs.fileLists.push_back(archives);

        // Another connection holds the ledger's write lock: no day can go in until it lets go.
        history::sql::Database other(fresh, history::sql::Database::Mode::ReadWrite);
        other.setBusyTimeout(30000);  // the window's first read of the new ledger may hold it
        other.exec("BEGIN IMMEDIATE");
        test::click(h, "addArchivesButton");
        QVERIFY(h.adding());
        QVERIFY(!test::isEnabled(h, "addArchivesButton"));
        QVERIFY(test::control<QProgressBar>(h, "daysProgress")->isVisible());
        QCOMPARE(test::control<QLabel>(h, "progressLabel")->text(),
                 QStringLiteral("Adding archives: 0 of 4 days"));
        bool eventsRan = false;
        QTimer::singleShot(0, &h, [&] { eventsRan = true; });
        QTest::qWait(100);
        QVERIFY(eventsRan);
        QVERIFY(h.adding());
        other.exec("ROLLBACK");

        QTRY_VERIFY_WITH_TIMEOUT(!h.adding(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(h.shown() && h.shown()->window.grid.dates.size() == 3, 10000);
        QVERIFY(test::isEnabled(h, "addArchivesButton"));
        QCOMPARE(test::control<QLabel>(h, "progressLabel")->text(), QStringLiteral("3 days added"));
        QCOMPARE(f.dialogs.messages.size(), size_t{1});
        QStringList refused = f.dialogs.messages[0].text.split(QStringLiteral("\r\n"));
        QCOMPARE(refused.size(), 3);
        QCOMPARE(refused[0], QStringLiteral("These archives were not added:"));
        QCOMPARE(refused[1], archives[3] + QStringLiteral(": the file name does not begin with a "
                                                          "date YYYYMMDD and no date was given"));
        QVERIFY(refused[2].startsWith(archives[4] + QStringLiteral(": Error No: ")));
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "history_window_test.moc"
