#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/error.h"
#include "common/output_destination.h"
#include "common/temporary_files.h"

namespace sorvane {

namespace {

std::string reasonOf(int err) {
    return std::strerror(err);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string destination) : destination_(std::move(destination)) {
    installTemporaryFileCleanup();
    const OutputTarget target = resolveOutputTarget(destination_);
    try {
        if (target.kind == OutputTarget::Kind::InPlace || !createBeside(target))
            openInPlace(target);
    } catch (...) {
        discard();
        throw;
    }
}

// The temporary file beside the target; false when the folder takes no new files but the
// target is there to be written in place.
bool AtomicFileWriter::createBeside(const OutputTarget& target) {
    std::string folder = folderPart(target.path);
    temporary_ = (folder.empty() ? std::string() : folder + "/") + "." + fileNamePart(target.path) +
                 ".XXXXXX";
    int fd = createTemporaryFile(temporary_, slot_);
    if (fd < 0) {
        int err = errno;
        temporary_.clear();
        if (target.kind == OutputTarget::Kind::Replace && (err == EACCES || err == EPERM))
            return false;
        fail("cannot be written", err);
    }
    target_ = target.path;
    if (target.kind == OutputTarget::Kind::Replace) {
        // The replacement is the same file to everyone who could use it: owner, group, mode.
        const struct stat& old = target.status;
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
        ::fchmod(fd, old.st_mode & 0777);
    } else {
        // A new file gets the usual permissions, not mkstemp's owner-only ones.
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    adopt(fd);
    return true;
}

void AtomicFileWriter::openInPlace(const OutputTarget& target) {
    inPlaceRegular_ = target.kind == OutputTarget::Kind::Replace;
    // Opened now, so that a refusal comes before any work, but written only at commit.
    // Without O_NONBLOCK, opening a FIFO would wait for a reader that may never come.
    int flags = O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (inPlaceRegular_ ? O_NOFOLLOW : 0);
    inPlaceFd_ = ::open(target.path.c_str(), flags);
    if (inPlaceFd_ < 0) fail("cannot be written", errno);
    ::fcntl(inPlaceFd_, F_SETFL, ::fcntl(inPlaceFd_, F_GETFL) & ~O_NONBLOCK);

    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    std::string aside = folder + "/sorvane-XXXXXX";
    int slot = -1;
    int fd = createTemporaryFile(aside, slot);
    if (fd < 0) {
        const std::string reason = reasonOf(errno);
        throw cannotWrite(destination_,
                          "it can only be written in place, and no temporary file "
                          "can be made in " +
                              folder + ": " + reason);
    }
    removeTemporaryFile(aside, slot);  // nameless from now on: nothing to leave behind
    adopt(fd);
}

void AtomicFileWriter::adopt(int fd) {
    file_ = ::fdopen(fd, inPlaceFd_ < 0 ? "wb" : "w+b");
    if (file_ == nullptr) {
        int err = errno;
        ::close(fd);
        fail("cannot be written", err);
    }
    static_cast<void>(std::setvbuf(file_, nullptr, _IOFBF, 1 << 16));
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::discard() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (inPlaceFd_ >= 0) ::close(inPlaceFd_);
    inPlaceFd_ = -1;
    if (!temporary_.empty()) removeTemporaryFile(temporary_, slot_);
    temporary_.clear();
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        fail("cannot be written", errno);
    written_ += bytes.size();
    if (inPlaceFd_ < 0 && written_ - startedToDisk_ >= kWriteBackStep) startWriteBack();
}

// Starts writing to disk what has been written so far, without waiting for it: a large file then
// reaches the disk while the rest is made, and commit()'s fsync has little left to wait for.
void AtomicFileWriter::startWriteBack() {
    flushFile();
    static_cast<void>(::sync_file_range(::fileno(file_), static_cast<off_t>(startedToDisk_),
                                        static_cast<off_t>(written_ - startedToDisk_),
                                        SYNC_FILE_RANGE_WRITE));
    startedToDisk_ = written_;
}

void AtomicFileWriter::commit() {
    flushFile();
    if (inPlaceFd_ >= 0) {
        copyInPlace();
        discard();
        return;
    }
    // On disk before the rename, so that a power cut leaves the old file or the new one.
    if (::fsync(::fileno(file_)) != 0) fail("cannot be written", errno);
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) fail("cannot be written", errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail("cannot be replaced", errno);
    releaseTemporaryFile(slot_);
    temporary_.clear();
}

void AtomicFileWriter::flushFile() {
    if (std::fflush(file_) != 0) fail("cannot be written", errno);
}

// The content gathered aside replaces the destination's; only now is the destination touched.
void AtomicFileWriter::copyInPlace() {
    int from = ::fileno(file_);
    if (::lseek(from, 0, SEEK_SET) != 0) fail("cannot be written", errno);
    if (inPlaceRegular_ && ::ftruncate(inPlaceFd_, 0) != 0) fail("cannot be written", errno);
    std::vector<char> buffer(size_t{1} << 16);
    for (;;) {
        ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail("cannot be written", errno);
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            ssize_t n = ::write(inPlaceFd_, buffer.data() + done, static_cast<size_t>(got - done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) fail("cannot be written", errno);
            done += n;
        }
    }
    if (inPlaceRegular_ && ::fsync(inPlaceFd_) != 0) fail("cannot be written", errno);
    if (::close(inPlaceFd_) != 0) {
        inPlaceFd_ = -1;
        fail("cannot be written", errno);
    }
    inPlaceFd_ = -1;
}

void AtomicFileWriter::fail(const std::string& what, int err) {
    throw SorvaneError(kErrFileWrite,
                       "The file " + destination_ + " " + what + ": " + reasonOf(err));
}

void writeWholeFile(const std::string& path, std::string_view content) {
    AtomicFileWriter writer(path);
    writer.write(content);
    writer.commit();
}

std::string readWholeFile(const std::string& path) {
    auto cannotRead = [&path](const std::string& reason) {
        return SorvaneError(kErrFileRead, "The file " + path + " cannot be read: " + reason);
    };
    // Without O_NONBLOCK, opening a FIFO would wait for a writer that may never come.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        struct stat link {};
        // "No such file" would puzzle a user who sees the link in the folder.
        if (err == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            throw cannotRead("it is a link to a file that does not exist");
        throw cannotRead(reasonOf(err));
    }
    struct stat st {};
    std::string reason;
    if (::fstat(fd, &st) != 0) {
        reason = reasonOf(errno);
    } else if (S_ISDIR(st.st_mode)) {
        reason = reasonOf(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
        reason = "it is not a regular file";  // a device or pipe may never end
    } else if (st.st_size > static_cast<off_t>(kMaxReadBytes)) {
        reason = "it is larger than " + std::to_string(kMaxReadBytes >> 20) + " MB";
    }
    std::string content;
    if (reason.empty()) {
        content.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        // A file that grows while it is read is read as far as its size when opened.
        while (got < content.size()) {
            ssize_t n = ::read(fd, content.data() + got, content.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                reason = reasonOf(errno);
                break;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        content.resize(got);
    }
    ::close(fd);
    if (!reason.empty()) throw cannotRead(reason);
    return content;
}

std::string fileNamePart(std::string_view path) {
    size_t sep = path.rfind('/');
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string folderPart(std::string_view path) {
    size_t sep = path.rfind('/');
    if (sep == std::string_view::npos) return {};
    return sep == 0 ? std::string(path.substr(0, 1)) : std::string(path.substr(0, sep));
}

}  // namespace sorvane
