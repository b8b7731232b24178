#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mkarchive/archive_writer.h"
#include "mkarchive/synthetic_day.h"
#include "mkarchive/synthetic_run.h"

namespace sorvane::test {

// A folder of its own for one test, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Member contents for archives built in tests.
std::vector<uint8_t> volumeBytes(uint8_t value, size_t length = 2880);
std::vector<uint8_t> occupancyBytes(int16_t raw, size_t length = 5760);

// The members of a generated day, each detector's together, as sorvane-mkarchive writes them.
std::vector<synth::ArchiveMember> generatedDay(const synth::DayOptions& options);

// Writes an archive with the members in order and returns its path inside `dir`.
std::string makeArchive(const TempDir& dir, const std::string& name,
                        const std::vector<synth::ArchiveMember>& members);
// Writes the generated days of a run into `dir` as YYYYMMDD.traffic; returns their paths.
std::vector<std::string> writeRun(const TempDir& dir, const synth::RunOptions& run);
// `argv` with the words of `words` (split at blanks) after it.
std::vector<std::string> withWords(std::vector<std::string> argv, const std::string& words);

// What a program run by a test did: its exit status (-1 when it did not exit normally) and
// everything it wrote.
struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program with these arguments (args[0] is the program) and waits for it; in `folder`
// when one is given, with stdout going to the existing file `stdoutTo` when one is given.
CommandResult runCommand(const std::vector<std::string>& args, const std::string& folder = "",
                         const std::string& stdoutTo = "");

// Starts a program without waiting, its output going to the two files (created when missing);
// exitCodeOf waits for it: its exit status, -1 when it did not exit normally.
pid_t startCommand(const std::vector<std::string>& args, const std::string& folder,
                   const std::string& stdoutTo = "/dev/null",
                   const std::string& stderrTo = "/dev/null");
int exitCodeOf(pid_t pid);

// The description of the SorvaneError that `work` throws, or "" when it throws none.
std::string refusal(const std::function<void()>& work);

// The names in a folder, sorted.
std::vector<std::string> filesIn(const std::string& folder);

// Writes a file with exactly these bytes.
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

}  // namespace sorvane::test
