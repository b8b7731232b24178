#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/error.h"

namespace sorvane {

namespace {

std::string reasonOf(int err) {
    return std::strerror(err);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string destination) : destination_(std::move(destination)) {
    struct stat st {};
    bool exists = ::stat(destination_.c_str(), &st) == 0;  // through a link, at its target
    if (exists) {
        if (S_ISDIR(st.st_mode)) fail("cannot be written", EISDIR);
        // The rename below would replace a file the user has made read-only.
        if (::access(destination_.c_str(), W_OK) != 0) fail("cannot be written", errno);
        // A device or pipe (/dev/null, a FIFO) is written to, never replaced by a file.
        if (!S_ISREG(st.st_mode)) {
            openInPlace();
            return;
        }
    }
    // A link keeps pointing where it did: the new file replaces its target.
    std::string target = destination_;
    if (exists) {
        if (char* real = ::realpath(destination_.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    std::string folder = folderPart(target);
    temporary_ =
        (folder.empty() ? std::string() : folder + "/") + "." + fileNamePart(target) + ".XXXXXX";
    int fd = ::mkstemp(temporary_.data());
    if (fd < 0) {
        int err = errno;
        temporary_.clear();
        // A folder that takes no new files may still hold a file the user lets us write.
        if (exists && (err == EACCES || err == EPERM)) {
            openInPlace();
            return;
        }
        fail("cannot be written", err);
    }
    target_ = std::move(target);
    // Files the user names get the usual permissions, not mkstemp's owner-only ones.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    adopt(fd);
}

void AtomicFileWriter::openInPlace() {
    // Without O_NONBLOCK, opening a FIFO would wait for a reader that may never come.
    int fd = ::open(destination_.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) fail("cannot be written", errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    adopt(fd);
}

void AtomicFileWriter::adopt(int fd) {
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        int err = errno;
        ::close(fd);
        fail("cannot be written", err);
    }
    static_cast<void>(std::setvbuf(file_, nullptr, _IOFBF, 1 << 16));
}

AtomicFileWriter::~AtomicFileWriter() {
    if (file_ != nullptr) std::fclose(file_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        fail("cannot be written", errno);
}

void AtomicFileWriter::commit() {
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fflush(f) != 0) {
        int err = errno;
        std::fclose(f);
        fail("cannot be written", err);
    }
    if (std::fclose(f) != 0) fail("cannot be written", errno);
    if (temporary_.empty()) return;  // written in place
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail("cannot be replaced", errno);
    temporary_.clear();
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
    if (fd < 0) throw cannotRead(reasonOf(errno));
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
