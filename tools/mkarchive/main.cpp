// sorvane-mkarchive: writes a synthetic but realistic Traffic archive for samples, tests and
// benchmarks.
#include <CLI/CLI.hpp>
#include <iostream>
#include <map>

#include "common/error.h"
#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"

int main(int argc, char** argv) {
    using namespace sorvane::synth;
    CLI::App app{"sorvane-mkarchive: write a synthetic *.traffic day"};
    DayOptions options;
    std::string output;
    OccEncoding occupancy = OccEncoding::O30;
    MemberOrder order = MemberOrder::Grouped;
    bool listFaults = false;
    app.add_option("-o,--output", output, "archive to write")->required();
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
    app.add_flag("--list-faults", listFaults, "print each faulty detector and its fault");
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
        std::vector<SyntheticDetector> day = makeDay(options);
        writeArchive(output, archiveMembers(day, order));
        if (listFaults) {
            for (const SyntheticDetector& d : day) {
                if (d.fault != Fault::None)
                    std::cout << d.number << ',' << faultName(d.fault) << '\n';
            }
        }
    } catch (const sorvane::SorvaneError& e) {
        std::cerr << e.description() << '\n';
        return 1;
    }
    return 0;
}
