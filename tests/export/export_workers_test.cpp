// The export on worker threads: the file and the log of one job whatever the number of jobs,
// and a member that cannot be read fails at its detector's turn.
#include <gtest/gtest.h>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "export/csv_export.h"
#include "mkarchive/synthetic_day.h"
#include "support/test_support.h"

namespace sorvane {
namespace {

struct ExportBytes {
    std::string csv, log, error;
    friend bool operator==(const ExportBytes&, const ExportBytes&) = default;
};

class ExportWorkers : public ::testing::Test {
  protected:
    // A generated day of 200 detectors (100..299), a third faulty, one occupancy member left out.
    void SetUp() override {
        std::vector<synth::ArchiveMember> members =
            test::generatedDay({.detectors = 200,
                                .seed = 11,
                                .faultShare = 0.3,
                                .occupancy = synth::OccEncoding::Mixed});
        members.erase(members.begin() + 21);  // 110.o30
        archive = test::makeArchive(dir, "day.traffic", members);
        // Every detector, then repeats and detectors the archive does not hold.
        for (int det = 100; det < 300; ++det)
            ids.push_back(std::to_string(det));
        ids.insert(ids.end(), {"7", "150", "110", "0150", "99999"});
    }

    ExportBytes run(ExportSettings settings, int jobs) {
        Log log;
        Unzip reader(log);
        reader.ZipFileName(archive);
        reader.zipList();
        settings.destination = dir.file("out.csv");
        settings.jobs = jobs;
        ExportBytes bytes;
        try {
            exportDetectors(archive, ids, reader, settings, log);
            bytes.csv = test::readFile(settings.destination);
        } catch (const SorvaneError& e) {
            bytes.error = e.description();
        }
        bytes.log = log.logText();
        return bytes;
    }

    test::TempDir dir;
    std::string archive;
    std::vector<std::string> ids;
};

TEST_F(ExportWorkers, AnyNumberOfJobsGivesTheBytesOfOne) {
    const ExportSettings modes[] = {{0, MissingOption::SetToNegative, false, ""},
                                    {4, MissingOption::SetToZero, true, ""}};  // 5 min
    for (const ExportSettings& mode : modes) {
        const ExportBytes one = run(mode, 1);
        EXPECT_TRUE(one.error.empty()) << one.error;
        EXPECT_NE(one.log.find("Det 110 does not exist\r\n"), std::string::npos);
        for (int jobs : {2, 3, 8}) {
            EXPECT_TRUE(run(mode, jobs) == one) << jobs << " jobs";
        }
    }
}

TEST_F(ExportWorkers, AMemberThatCannotBeReadFailsAtItsTurn) {
    // Detector 150's volume damaged: the export stops there, with what came before logged.
    std::string bytes = test::readFile(archive);
    bytes.replace(bytes.find("150.v30") + 30, 15, 15, '\xFF');
    test::writeFile(archive, bytes);
    const ExportBytes one = run({}, 1);
    EXPECT_EQ(one.error.rfind("Member 150.v30: ", 0), 0u) << one.error;
    EXPECT_NE(one.log.find("Det 110 does not exist\r\n"), std::string::npos);
    for (int jobs : {2, 8}) {
        EXPECT_TRUE(run({}, jobs) == one) << jobs << " jobs";
    }
}

}  // namespace
}  // namespace sorvane
