#include "common/output_destination.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "common/text_file.h"

namespace sorvane {

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

bool inGroup(gid_t gid) {
    if (gid == ::getegid()) return true;
    int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    count = ::getgroups(count, groups.data());
    for (int i = 0; i < count; ++i) {
        if (groups[static_cast<size_t>(i)] == gid) return true;
    }
    return false;
}

}  // namespace

bool writableByUser(const struct stat& st) {
    if (st.st_uid == ::geteuid()) return (st.st_mode & S_IWUSR) != 0;
    if (inGroup(st.st_gid)) return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

namespace {

std::string folderOf(const std::string& path) {
    std::string folder = folderPart(path);
    return folder.empty() ? "." : folder;
}

// The kernel's protected_symlinks rule, whether or not the system enables it.
bool plantedByAnotherUser(const std::string& link, const struct stat& linkStatus) {
    struct stat folder {};
    if (::stat(folderOf(link).c_str(), &folder) != 0) return false;
    bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return shared && linkStatus.st_uid != folder.st_uid && linkStatus.st_uid != ::geteuid();
}

std::string nextHop(const std::string& link,
                    const std::function<SorvaneError(const std::string&)>& refused) {
    std::string target(4096, '\0');
    ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n < 0) throw refused(std::strerror(errno));
    if (static_cast<size_t>(n) == target.size()) throw refused(std::strerror(ENAMETOOLONG));
    target.resize(static_cast<size_t>(n));
    if (target.front() == '/') return target;
    std::string folder = folderPart(link);
    return folder.empty() ? target : folder + "/" + target;
}

// What the status of an existing file says about writing it.
OutputTarget existing(const std::string& destination, const std::string& path,
                      const struct stat& st) {
    if (S_ISDIR(st.st_mode)) throw cannotWrite(destination, std::strerror(EISDIR));
    if (!writableByUser(st)) throw cannotWrite(destination, std::strerror(EACCES));
    OutputTarget target;
    target.kind = S_ISREG(st.st_mode) ? OutputTarget::Kind::Replace : OutputTarget::Kind::InPlace;
    target.path = path;
    target.status = st;
    return target;
}

}  // namespace

SorvaneError cannotWrite(const std::string& destination, const std::string& reason) {
    return SorvaneError(kErrFileWrite, "The file " + destination + " cannot be written: " + reason);
}

ResolvedName followLinks(const std::string& name,
                         const std::function<SorvaneError(const std::string&)>& refused) {
    std::string path = name;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        ResolvedName resolved;
        resolved.path = path;
        if (::lstat(path.c_str(), &resolved.status) != 0) {
            int err = errno;
            if (err != ENOENT) throw refused(std::strerror(err));
            return resolved;
        }
        resolved.exists = true;
        if (!S_ISLNK(resolved.status.st_mode)) return resolved;
        if (plantedByAnotherUser(path, resolved.status)) {
            throw refused(
                "it is a link that another user made in a folder everyone may write; remove it "
                "or choose another name");
        }
        if (::stat(path.c_str(), &resolved.status) != 0) {
            int err = errno;
            if (err != ENOENT) throw refused(std::strerror(err));
            throw refused("it is a link to a file that does not exist");
        }
        // A device or a pipe is used through its link: /dev/stdout leads to "pipe:[...]".
        if (!S_ISREG(resolved.status.st_mode)) return resolved;
        path = nextHop(path, refused);
    }
    throw refused(std::strerror(ELOOP));
}

OutputTarget resolveOutputTarget(const std::string& destination) {
    if (destination.empty()) throw SorvaneError(kErrInvalidInput, "The file name is empty.");
    ResolvedName resolved = followLinks(
        destination, [&](const std::string& reason) { return cannotWrite(destination, reason); });
    if (!resolved.exists) {
        OutputTarget target;
        target.path = resolved.path;
        return target;
    }
    return existing(destination, resolved.path, resolved.status);
}

void refuseOutputOverInputs(const std::string& output, const std::vector<RunInput>& inputs) {
    struct stat out {};
    if (output.empty() || ::stat(output.c_str(), &out) != 0) return;
    for (const RunInput& input : inputs) {
        struct stat in {};
        if (input.path.empty() || ::stat(input.path.c_str(), &in) != 0) continue;
        if (in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
            throw SorvaneError(kErrInvalidInput, "The file " + output + " is " + input.what +
                                                     ": it cannot be an output.");
        }
    }
}

}  // namespace sorvane
