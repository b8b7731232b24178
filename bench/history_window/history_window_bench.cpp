// Times the history window on a large ledger: reading a window's report and grid (what the
// window's worker thread does), and painting its picture (what the window's own thread does)
// cold, warm, while scrolling by pages and by rows, and after a zoom. The ledger is written
// directly with made-up detector-days (faults that persist, appear and flap, a feed outage
// every 30 days), which is much quicker than testing archives. Target: every repaint well
// under 100 ms.
//
// Usage: bench_history_window [DETECTORS [DAYS]]   (default 5000 detectors by 365 days)
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/history/day_panel.h"
#include "app/history/day_strip_window.h"
#include "app/history/detector_days_window.h"
#include "app/history/history_grid_view.h"
#include "app/history/ledger_worker.h"
#include "app/history/repair_list_panel.h"
#include "app/history/row_order.h"
#include "app/recent_folders.h"
#include "common/log.h"
#include "history/calendar.h"
#include "history/detector_days.h"
#include "history/ledger_grid.h"
#include "history/ledger_store.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"
#include "silent_dialogs.h"

namespace {

using namespace sorvane;
using Clock = std::chrono::steady_clock;
using modBaddet::DecisionStep;
using modBaddet::HealthClass;

double millisecondsOf(const std::function<void()>& work) {
    auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string dateOf(int day) {
    std::chrono::sys_days date = std::chrono::year{2024} / 1 / 1;
    std::chrono::year_month_day ymd{date + std::chrono::days{day}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text;
}

// Detector d on day t: one in 40 is bad throughout, one in 50 from some day on, one in 60
// flaps; one in 25 is marginal now and then; 4500 to 4599 are excluded; every 30th day a feed
// outage takes most of the rest.
history::DetectorDayRecord dayOf(int det, int day) {
    history::DetectorDayRecord r;
    r.det = static_cast<int16_t>(det);
    r.date = dateOf(day);
    auto set = [&r](HealthClass c, DecisionStep s, history::Attribution a) {
        r.healthClass = c;
        r.step = s;
        r.attribution = a;
    };
    using history::Attribution;
    if (det >= 4500 && det < 4600) {
        set(HealthClass::Excluded, DecisionStep::Excluded, Attribution::None);
        return r;
    }
    r.measures = modBaddet::HealthMeasures{};
    r.outageMissing = 0;
    r.status = DailyStatus::Good;
    unsigned hash = static_cast<unsigned>(det) * 2654435761u ^ static_cast<unsigned>(day) * 40503u;
    // The detectors whose days chart is timed keep a daytime volume, as a real ledger does.
    if (det % 500 == 100) {
        r.daytimeVolume = static_cast<int32_t>(4000 + hash % 400);
        r.daytimeValid = 2040;
    }
    if (det % 40 == 0 || (det % 50 == 0 && day > det % 300) || (det % 60 == 0 && hash % 2 == 0)) {
        set(HealthClass::High, DecisionStep::Missing, Attribution::Detector);
    } else if (day % 30 == 15 && hash % 20 != 0) {
        set(HealthClass::High, DecisionStep::Missing, Attribution::FeedOutage);
    } else if (det % 25 == 0 && hash % 5 == 0) {
        set(HealthClass::Susp, DecisionStep::HighDevIndex, Attribution::Detector);
    } else if (hash % 97 == 0) {
        set(HealthClass::Marg, DecisionStep::MidDevIndex, Attribution::None);
    } else {
        set(HealthClass::Hlth, DecisionStep::Healthy, Attribution::None);
    }
    return r;
}

void writeLedger(const std::string& path, int detectors, int days) {
    history::LedgerStore ledger(path, history::LedgerStore::Access::Add);
    for (int day = 0; day < days; ++day) {
        history::DayRecord record;
        record.date = dateOf(day);
        record.archive = "/nowhere/" + record.date + ".traffic";
        record.detectors = detectors;
        for (int det = 100; det < 100 + detectors; ++det)
            record.rows.push_back(dayOf(det, day));
        if (day % 30 == 15) record.outages.push_back({1200, 1559, 0.95});
        ledger.writeDay(record);
    }
}

struct Times {
    double median = 0.0;
    double worst = 0.0;
};

Times timesOf(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.back()};
}

void print(const char* what, const Times& t) {
    std::printf("%-44s median %7.2f ms   worst %7.2f ms\n", what, t.median, t.worst);
}

// An inventory of the bench's detectors: four lanes a station, 50 stations a corridor, one in
// 100 abandoned.
void writeInventory(const std::string& path, int detectors) {
    history::Inventory inventory;
    for (int det = 100; det < 100 + detectors; ++det) {
        history::InventoryRow r;
        r.det = static_cast<int16_t>(det);
        int station = (det - 100) / 4;
        r.station = "S" + std::to_string(station);
        r.lane = (det - 100) % 4 + 1;
        r.corridor = "C" + std::to_string(station / 50);
        r.milepost = (station * 37) % 50 * 0.5;  // stations not in number order along the road
        r.abandoned = det % 100 == 0;
        inventory.rows.push_back(r);
    }
    history::LedgerStore ledger(path, history::LedgerStore::Access::Add);
    ledger.writeInventory("0001-01-01", inventory);
}

// Opening the window: the worker's read (report, grid, ledger dates, inventory versions), then on
// the window's thread the rows, the calendar, the repair list and the first paint. Then the day
// panel: a date's verdict read and shown.
void benchOpeningAndDayPanel(const std::string& path, int detectors) {
    writeInventory(path, detectors);
    for (app::RowOrder order : {app::RowOrder::RepairList, app::RowOrder::Network}) {
        std::vector<double> reads;
        std::vector<double> shows;
        for (int i = 0; i < 3; ++i) {
            app::HistoryGridView view;
            view.resize(1600, 1000);
            view.show();
            QApplication::processEvents();
            app::RepairListPanel repairList;
            QImage screen(view.size(), QImage::Format_ARGB32_Premultiplied);
            auto read = std::make_shared<app::LedgerRead>();
            reads.push_back(millisecondsOf([&] {
                history::LedgerStore ledger(path, history::LedgerStore::Access::Read);
                read->window = history::readLedgerWindow(ledger, {}, {});
                read->ledgerDates = ledger.dates({});
                read->inventories = ledger.inventoryVersions();
            }));
            shows.push_back(millisecondsOf([&] {
                app::GridRows rows = app::gridRows(*read, order, false);
                history::Calendar calendar =
                    history::calendarOf(read->window.grid.dates, read->window.report.window);
                repairList.showReport(
                    std::shared_ptr<const history::HistoryReport>(read, &read->window.report));
                view.setGrid(std::shared_ptr<const history::LedgerGrid>(read, &read->window.grid),
                             std::move(rows.rows), {}, std::move(calendar),
                             std::move(rows.headings));
                view.render(&screen);
            }));
        }
        bool network = order == app::RowOrder::Network;
        print(network ? "open, by network: read (worker)" : "open: read with inventory (worker)",
              timesOf(reads));
        print(network ? "open, by network: rows, calendar, lists, paint"
                      : "open: rows, calendar, lists, first paint",
              timesOf(shows));
    }
    app::DayPanel panel;
    panel.resize(500, 900);
    panel.show();
    std::vector<std::string> dates;
    {
        history::LedgerStore ledger(path, history::LedgerStore::Access::Read);
        dates = ledger.dates({});
    }
    std::vector<double> days;
    for (size_t i = 0; i < dates.size(); i += std::max<size_t>(1, dates.size() / 8)) {
        days.push_back(millisecondsOf([&] {
            history::LedgerStore ledger(path, history::LedgerStore::Access::Read);
            std::optional<history::DayVerdict> verdict = history::readDayVerdict(ledger, dates[i]);
            panel.showVerdict(*verdict);
            QApplication::processEvents();
        }));
    }
    days.push_back(millisecondsOf([&] {
        history::LedgerStore ledger(path, history::LedgerStore::Access::Read);
        panel.showVerdict(*history::readDayVerdict(ledger, dates.back()));
        QApplication::processEvents();
    }));
    print("a day panel (read and shown)", timesOf(days));
}

// Sorting and filtering the repair list, each as the user waits for it: the table laid out
// again and painted.
void benchRepairList(std::shared_ptr<const history::HistoryReport> report) {
    app::RepairListPanel panel;
    panel.resize(900, 700);
    panel.show();
    print("fill the repair list table",
          timesOf({millisecondsOf([&] { panel.showReport(report); })}));
    QApplication::processEvents();
    QTableView* table = panel.table();
    QImage shot(panel.size(), QImage::Format_ARGB32_Premultiplied);
    auto laidOut = [&](const std::function<void()>& change) {
        return millisecondsOf([&] {
            change();
            panel.render(&shot);
        });
    };
    std::vector<double> sorts;
    for (int column = 0; column < 12; ++column) {
        sorts.push_back(laidOut([&] { table->sortByColumn(column, Qt::AscendingOrder); }));
        sorts.push_back(laidOut([&] { table->sortByColumn(column, Qt::DescendingOrder); }));
    }
    print("sort the repair list by a column, repaint", timesOf(sorts));
    auto* label = panel.findChild<QComboBox*>(QStringLiteral("labelFilter"));
    auto* search = panel.findChild<QLineEdit*>(QStringLiteral("detectorSearch"));
    std::vector<double> filters;
    for (int i = 1; i < label->count(); ++i) {
        filters.push_back(laidOut([&] { label->setCurrentIndex(i); }));
        filters.push_back(laidOut([&] { label->setCurrentIndex(0); }));
    }
    for (const char* text : {"1", "12", "123", "12", "1", ""})
        filters.push_back(laidOut([&] { search->setText(QString::fromLatin1(text)); }));
    print("filter the repair list (label, search), repaint", timesOf(filters));
}

// The repair list (the report's and one of every detector), a detector's days chart and a strip
// of 14 days, each as the user waits for it: the chart window made and painted.
void benchRepairsAndDays(const std::string& folder, const std::string& path,
                         const std::shared_ptr<history::LedgerWindow>& window, int detectors) {
    // The report's repair list, and every detector on it: the worst a list can be.
    auto everyDetector = std::make_shared<history::HistoryReport>(window->report);
    everyDetector->repairList = everyDetector->detectors;
    for (auto report : {std::shared_ptr<const history::HistoryReport>(window, &window->report),
                        std::shared_ptr<const history::HistoryReport>(everyDetector)}) {
        std::printf("(a repair list of %zu detectors)\n", report->repairList.size());
        benchRepairList(report);
    }

    sorvane::bench::SilentDialogs dialogs;
    app::RecentFolders folders;
    history::LedgerStore ledger(path, history::LedgerStore::Access::Read);
    const std::vector<std::string>& dates = window->report.dates;
    std::vector<double> charts;
    for (int det = 100; det < 100 + detectors; det += 500) {
        charts.push_back(millisecondsOf([&] {
            std::vector<history::DetectorDayPoint> days;
            ledger.readConsistently([&] {
                days = history::readDetectorDays(ledger, static_cast<int16_t>(det), dates.front(),
                                                 dates.back());
            });
            app::DetectorDaysWindow chart(static_cast<int16_t>(det), dates.front(), dates.back(),
                                          std::move(days), {dialogs, folders, nullptr});
            chart.show();
            QImage picture(chart.size(), QImage::Format_ARGB32_Premultiplied);
            chart.render(&picture);
        }));
    }
    print("days chart of a detector (read, open, paint)", timesOf(charts));

    // One archive of the ledger's detectors, read as 14 days' archives.
    std::string archive = folder + "/day.traffic";
    synth::DayOptions options;
    options.detectors = detectors;
    synth::writeArchive(
        archive, synth::archiveMembers(synth::makeDay(options), synth::MemberOrder::Grouped));
    std::vector<std::pair<std::string, std::string>> archives;
    for (int i = 0; i < 14; ++i)
        archives.emplace_back(dates[dates.size() - 14 + static_cast<size_t>(i)], archive);
    Log log;
    for (bool fiveMinutes : {false, true}) {
        std::vector<double> strips;
        for (int i = 0; i < 3; ++i) {
            strips.push_back(millisecondsOf([&] {
                std::vector<std::string> gone;
                auto days = app::readStripDays(
                    archives, 150, fiveMinutes, log, [] {}, gone);
                app::DayStripWindow strip(150, std::move(days), fiveMinutes,
                                          {dialogs, folders, nullptr});
                strip.show();
                QImage picture(strip.size(), QImage::Format_ARGB32_Premultiplied);
                strip.render(&picture);
            }));
        }
        print(fiveMinutes ? "strip of 14 days, 5 min (read, open, paint)"
                          : "strip of 14 days, 30 s (read, open, paint)",
              timesOf(strips));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int detectors = argc > 1 ? std::atoi(argv[1]) : 5000;
    int days = argc > 2 ? std::atoi(argv[2]) : 365;

    // A folder of this run's own: two runs at once must not remove each other's files.
    std::string folder =
        std::filesystem::temp_directory_path() /
        ("sorvane-bench-history-window-" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string path = folder + "/ledger.sqlite";
    double written = millisecondsOf([&] { writeLedger(path, detectors, days); });
    std::printf("%d detectors by %d days: ledger written in %.1f s, %.1f MB\n", detectors, days,
                written / 1000.0, std::filesystem::file_size(path) / 1e6);

    std::shared_ptr<history::LedgerWindow> window;
    std::vector<double> reads;
    for (int i = 0; i < 3; ++i) {
        reads.push_back(millisecondsOf([&] {
            history::LedgerStore ledger(path, history::LedgerStore::Access::Read);
            window =
                std::make_shared<history::LedgerWindow>(history::readLedgerWindow(ledger, {}, {}));
        }));
    }
    print("read report and grid (worker thread)", timesOf(reads));

    app::RepairListPanel repairList;
    print("fill the repair list", timesOf({millisecondsOf([&] {
              repairList.showReport(
                  std::shared_ptr<const history::HistoryReport>(window, &window->report));
          })}));
    std::printf("(%zu detectors on the repair list)\n", window->report.repairList.size());

    app::HistoryGridView view;
    view.resize(1600, 1000);
    view.show();
    QApplication::processEvents();
    std::vector<int> order(window->grid.detectors.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::shared_ptr<const history::LedgerGrid> grid(window, &window->grid);
    print("show a new grid", timesOf({millisecondsOf([&] { view.setGrid(grid, order, {}); })}));

    QImage screen(view.size(), QImage::Format_ARGB32_Premultiplied);
    auto paint = [&] { return millisecondsOf([&] { view.render(&screen); }); };
    print("first paint (tiles made)", timesOf({paint()}));
    std::vector<double> warm;
    for (int i = 0; i < 20; ++i)
        warm.push_back(paint());
    print("repaint (tiles cached)", timesOf(warm));

    auto scrolled = [&](QScrollBar* bar, int step, int count) {
        std::vector<double> samples;
        for (int i = 0; i < count; ++i) {
            bar->setValue(bar->value() + step);
            samples.push_back(paint());
        }
        return timesOf(samples);
    };
    QScrollBar* down = view.verticalScrollBar();
    print("scroll a page down, repaint (new tiles)", scrolled(down, down->pageStep(), 40));
    print("scroll three rows down, repaint", scrolled(down, 3 * view.cellSize(), 40));
    QScrollBar* across = view.horizontalScrollBar();
    print("scroll a page right, repaint", scrolled(across, across->pageStep(), 10));

    std::vector<double> zooms;
    for (int step : {-1, -1, -1, -1, -1, -1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}) {
        zooms.push_back(millisecondsOf([&] {
            view.zoom(step, QPoint(800, 500));
            view.render(&screen);
        }));
    }
    print("zoom a step, repaint (tiles made anew)", timesOf(zooms));
    benchOpeningAndDayPanel(path, detectors);
    benchRepairsAndDays(folder, path, window, detectors);
    std::filesystem::remove_all(folder);
    return 0;
}
