#include "archive/zip_error.h"

#include <zip.h>

#include <cerrno>
#include <new>

#include "common/error.h"

namespace sorvane {

void throwZipError(zip_error_t* error, const std::string& context) {
    int code = zip_error_code_zip(error);
    // Memory that ran out says nothing about the archive: it is reported as such.
    if (code == ZIP_ER_MEMORY ||
        (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) == ENOMEM)) {
        zip_error_fini(error);
        throw std::bad_alloc();
    }
    std::string description = zip_error_strerror(error);
    zip_error_fini(error);
    throw SorvaneError(code, context + description);
}

}  // namespace sorvane
