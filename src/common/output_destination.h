#pragma once

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "common/error.h"

namespace sorvane {

// The file that receives what is written to a destination, decided before anything is written.
struct OutputTarget {
    enum class Kind {
        NewFile,  // nothing there yet
        Replace,  // a regular file, replaced by a complete new one
        InPlace,  // a device or a pipe: only ever written to
    };
    Kind kind = Kind::NewFile;
    std::string path;    // the destination, or the file its links lead to
    struct stat status;  // of `path`, when it exists
};

// Whether the mode bits of the user's class let the user write a file (not access(2), which
// lets root write anything).
bool writableByUser(const struct stat& st);

// Where a name leads: the file its links lead to (`exists` false when there is none yet) and
// that file's status. A link that another user made in a folder everyone may write and that has
// the sticky bit (such as /tmp), when it belongs neither to the folder's owner nor to the user,
// is refused: the kernel's protected_symlinks rule, whether or not the system enables it. So is
// a link to nothing. A link to something other than a regular file (a device, a pipe) stops
// there: `path` is the link, `status` the thing it leads to. Failures throw refused(reason).
struct ResolvedName {
    std::string path;
    bool exists = false;
    struct stat status {};
};
ResolvedName followLinks(const std::string& name,
                         const std::function<SorvaneError(const std::string&)>& refused);

// Resolves a destination. Links are followed, so a link keeps pointing where it did; refused
// are an empty name, a link to nothing, a link in a folder that everyone may write and that has
// the sticky bit (such as /tmp) when it belongs neither to the folder's owner nor to the user
// (another user may have planted it there), a directory, and a file whose mode bits do not let
// the user write it (root included: a read-only file stays read-only). Throws SorvaneError.
OutputTarget resolveOutputTarget(const std::string& destination);

// "The file <destination> cannot be written: <reason>".
SorvaneError cannotWrite(const std::string& destination, const std::string& reason);

// An input of a run, which no output of the same run may replace.
struct RunInput {
    std::string what;  // what it is to the run, e.g. "the archive this run reads"
    std::string path;
};

// Throws SorvaneError (kErrInvalidInput) when `output` reaches the same file as one of `inputs`,
// by whatever path (links, "..", hard links): "The file <output> is <what>: it cannot be an
// output."
void refuseOutputOverInputs(const std::string& output, const std::vector<RunInput>& inputs);

}  // namespace sorvane
