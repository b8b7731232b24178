#include "mkarchive/archive_writer.h"

#include <zip.h>

#include "common/error.h"
#include "common/text_file.h"

namespace sorvane::synth {

namespace {

// 2026-01-01 00:00:00 UTC: every member carries this time, so output is reproducible.
constexpr time_t kFixedMtime = 1767225600;

[[noreturn]] void fail(zip_t* archive, const std::string& path) {
    std::string reason = zip_strerror(archive);
    zip_discard(archive);
    throw SorvaneError(kErrFileWrite, "The archive " + path + " cannot be written: " + reason);
}

}  // namespace

void writeArchive(const std::string& path, const std::vector<ArchiveMember>& members) {
    if (members.empty()) {
        // libzip removes an archive without members instead of writing one: write the lone
        // end-of-central-directory record ourselves.
        static constexpr char kEmptyZip[22] = {'P', 'K', 5, 6};
        writeWholeFile(path, std::string_view(kEmptyZip, sizeof kEmptyZip));
        return;
    }
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        std::string reason = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        throw SorvaneError(kErrFileWrite, "The archive " + path + " cannot be written: " + reason);
    }
    for (const ArchiveMember& member : members) {
        // libzip reads the buffer only at zip_close, so it must outlive this loop: members do.
        zip_source_t* source =
            zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        if (source == nullptr) fail(archive, path);
        zip_int64_t index = zip_file_add(archive, member.name.c_str(), source, ZIP_FL_ENC_RAW);
        if (index < 0) {
            zip_source_free(source);
            fail(archive, path);
        }
        const auto added = static_cast<zip_uint64_t>(index);
        zip_file_set_mtime(archive, added, kFixedMtime, 0);
        if (member.stored) zip_set_file_compression(archive, added, ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) fail(archive, path);
}

}  // namespace sorvane::synth
