#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace sorvane {

struct OutputTarget;

// Writes a file so that the destination holds either its old content or the complete new
// one: nothing touches the destination before commit(). The bytes go to a temporary file beside
// it, flushed to disk and renamed into place by commit(); the new file keeps the mode (and,
// where the user may set them, the owner and group) of the file it replaces. A writer destroyed
// without commit() removes its temporary file, and so do Ctrl-C, SIGTERM and SIGHUP. Where
// nothing can be renamed over the destination (a device, a pipe, a file in a folder that takes
// no new files) the bytes gather in an unnamed temporary file in $TMPDIR (or /tmp) and are
// copied in place by commit(). Failures throw SorvaneError naming the destination and the
// reason; see resolveOutputTarget for the destinations refused outright. Texts are written as
// given: producers end lines with CR LF.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::string destination);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::string_view bytes);
    void commit();

    const std::string& destination() const { return destination_; }

  private:
    bool createBeside(const OutputTarget& target);
    void openInPlace(const OutputTarget& target);
    void adopt(int fd);
    void flushFile();
    void startWriteBack();
    void copyInPlace();
    void discard();
    [[noreturn]] void fail(const std::string& what, int err);

    std::string destination_;
    std::string target_;         // the file the temporary replaces: the destination or its link's
    std::string temporary_;      // beside the target; empty when writing in place
    int slot_ = -1;              // of the temporary in the signal handler's registry
    std::FILE* file_ = nullptr;  // the temporary file, or the in-place content gathered aside
    int inPlaceFd_ = -1;         // the destination, when it is written in place
    bool inPlaceRegular_ = false;
    // Bytes written, and how many of them have been sent on to the disk (startWriteBack).
    uint64_t written_ = 0;
    uint64_t startedToDisk_ = 0;
    static constexpr uint64_t kWriteBackStep = uint64_t{8} << 20;
};

// Replaces the file at `path` with `content` through an AtomicFileWriter.
void writeWholeFile(const std::string& path, std::string_view content);

// The largest file that readWholeFile reads: settings files and detector lists are far
// smaller, and a file read whole costs its size in memory.
inline constexpr size_t kMaxReadBytes = size_t{64} << 20;

// The whole content of a regular file of at most kMaxReadBytes; throws SorvaneError naming the
// file and the reason (a device or a pipe, which may never end, is refused).
std::string readWholeFile(const std::string& path);

// The text after the last '/', extension included.
std::string fileNamePart(std::string_view path);

// The folder part of a path ("" for a bare file name).
std::string folderPart(std::string_view path);

}  // namespace sorvane
