#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace sorvane {

// Writes a file so that the destination holds either its old content or the complete new
// one: the bytes go to a temporary file beside it, which commit() renames into place. A writer
// destroyed without commit() removes its temporary file. Failures throw SorvaneError naming
// the destination and the reason. Texts are written as given: producers end lines with CR LF.
// A link is followed (the link stays, its target gets the new content). A device or pipe, or a
// file in a folder that takes no new files, is written in place, since nothing can be renamed
// over it.
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
    void openInPlace();
    void adopt(int fd);
    [[noreturn]] void fail(const std::string& what, int err);

    std::string destination_;
    std::string target_;     // the file the temporary replaces: the destination or its link's
    std::string temporary_;  // empty when writing in place
    std::FILE* file_ = nullptr;
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
