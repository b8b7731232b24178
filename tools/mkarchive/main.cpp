// sorvane-mkarchive: writes a synthetic but realistic Traffic archive, or a run of days, for
// samples, tests and benchmarks.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <map>

#include "common/error.h"
#include "common/text_file.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"
#include "mkarchive/synthetic_run.h"

namespace {

using namespace sorvane::synth;

void listFaultsOf(const std::vector<SyntheticDetector>& day, const std::string& prefix) {
    for (const SyntheticDetector& d : day) {
        if (d.fault != Fault::None)
            std::cout << prefix << d.number << ',' << faultName(d.fault) << '\n';
    }
}

// Writes the run's days into the folder as YYYYMMDD.traffic, and its network as inventory.csv.
void writeRun(const RunOptions& run, const std::string& folder, MemberOrder order,
              bool listFaults) {
    const std::vector<RunDay> days = planRun(run);  // a bad start is refused before any file
    std::filesystem::create_directories(folder);
    sorvane::writeWholeFile((std::filesystem::path(folder) / "inventory.csv").string(),
                            inventoryCsv(runNetwork(run), run.day.firstDetector));
    for (const RunDay& day : days) {
        std::vector<SyntheticDetector> detectors = makeDay(day.options);
        writeArchive((std::filesystem::path(folder) / (day.date + ".traffic")).string(),
                     archiveMembers(detectors, order));
        if (listFaults) listFaultsOf(detectors, day.date + ",");
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"sorvane-mkarchive: write a synthetic *.traffic day, or a run of days"};
    DayOptions options;
    std::string output;
    OccEncoding occupancy = OccEncoding::O30;
    MemberOrder order = MemberOrder::Grouped;
    bool listFaults = false;
    RunOptions run;
    std::optional<int> days;
    app.add_option("-o,--output", output, "archive to write (with --days: the folder)")->required();
    app.add_option("-n,--detectors", options.detectors, "number of detectors")
        ->capture_default_str()
        ->check(CLI::Range(0, 65536));
    app.add_option("--first", options.firstDetector, "first detector number")
        ->capture_default_str();
    app.add_option("--seed", options.seed, "random seed (same seed, same bytes)")
        ->capture_default_str();
    app.add_option("--faults", options.faultShare, "share of faulty detectors, 0 to 1")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--occ", occupancy, "occupancy members: o30, c30 or mixed")
        ->transform(CLI::CheckedTransformer(std::map<std::string, OccEncoding>{
            {"o30", OccEncoding::O30}, {"c30", OccEncoding::C30}, {"mixed", OccEncoding::Mixed}}));
    app.add_option("--order", order, "member order: grouped (per detector) or volumes-first")
        ->transform(CLI::CheckedTransformer(std::map<std::string, MemberOrder>{
            {"grouped", MemberOrder::Grouped}, {"volumes-first", MemberOrder::VolumesFirst}}));
    app.add_flag("--list-faults", listFaults,
                 "print each faulty detector and its fault (with --days: date first; there also "
                 "abandoned, station-outage, controller-outage and swapped)");
    app.add_option("--days", days,
                   "write a run of N days into the folder, named YYYYMMDD.traffic, and its "
                   "network as inventory.csv: weekends carry 60 % of a weekday's traffic, day N/3 "
                   "is a holiday (55 %), faults persist, appear, disappear, flap or undercount "
                   "from some day on, the middle day loses its feed for three hours, a station "
                   "and a controller go silent for hours on a day, and two lanes of a station "
                   "are swapped from a day on")
        ->check(CLI::Range(1, 3660));
    app.add_option("--start", run.start, "YYYYMMDD: the first day of a run")->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    options.occupancy = occupancy;
    try {
        if (days) {
            run.day = options;
            run.days = *days;
            writeRun(run, output, order, listFaults);
        } else {
            std::vector<SyntheticDetector> day = makeDay(options);
            writeArchive(output, archiveMembers(day, order));
            if (listFaults) listFaultsOf(day, "");
        }
    } catch (const sorvane::SorvaneError& e) {
        std::cerr << e.description() << '\n';
        return e.number() == sorvane::kErrInvalidInput ? 2 : 1;
    } catch (const std::filesystem::filesystem_error& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
