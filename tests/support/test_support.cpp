#include "support/test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/error.h"

namespace sorvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // A test may have made the folder read-only; give it back before removing it.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> volumeBytes(uint8_t value, size_t length) {
    return std::vector<uint8_t>(length, value);
}

std::vector<uint8_t> occupancyBytes(int16_t raw, size_t length) {
    std::vector<uint8_t> bytes(length);
    auto value = static_cast<uint16_t>(raw);
    for (size_t i = 0; i < length; ++i) {
        bytes[i] =
            i % 2 == 0 ? static_cast<uint8_t>(value >> 8) : static_cast<uint8_t>(value & 0xFF);
    }
    return bytes;
}

std::vector<synth::ArchiveMember> generatedDay(const synth::DayOptions& options) {
    return synth::archiveMembers(synth::makeDay(options), synth::MemberOrder::Grouped);
}

std::string makeArchive(const TempDir& dir, const std::string& name,
                        const std::vector<synth::ArchiveMember>& members) {
    std::string path = dir.file(name);
    synth::writeArchive(path, members);
    return path;
}

std::vector<std::string> writeRun(const TempDir& dir, const synth::RunOptions& run) {
    std::vector<std::string> paths;
    for (const synth::RunDay& day : synth::planRun(run))
        paths.push_back(makeArchive(dir, day.date + ".traffic", generatedDay(day.options)));
    return paths;
}

std::vector<std::string> withWords(std::vector<std::string> argv, const std::string& words) {
    std::istringstream in(words);
    for (std::string w; in >> w;)
        argv.push_back(w);
    return argv;
}

pid_t startCommand(const std::vector<std::string>& args, const std::string& folder,
                   const std::string& stdoutTo, const std::string& stderrTo) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutTo.c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, stderrTo.c_str(), O_WRONLY | O_CREAT, 0644);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exitCodeOf(pid_t pid) {
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

CommandResult runCommand(const std::vector<std::string>& args, const std::string& folder,
                         const std::string& stdoutTo) {
    TempDir dir;
    const std::string out = stdoutTo.empty() ? dir.file("out") : stdoutTo;
    CommandResult result;
    result.exitCode = exitCodeOf(startCommand(args, folder, out, dir.file("err")));
    if (stdoutTo.empty()) result.out = readFile(out);
    result.err = readFile(dir.file("err"));
    return result;
}

std::string refusal(const std::function<void()>& work) {
    try {
        work();
    } catch (const SorvaneError& e) {
        return e.description();
    }
    return "";
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace sorvane::test
