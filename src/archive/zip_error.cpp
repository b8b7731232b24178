#include "archive/zip_error.h"

#include <zip.h>

#include "common/error.h"

namespace sorvane {

void throwZipError(zip_error_t* error, const std::string& context) {
    int code = zip_error_code_zip(error);
    std::string description = zip_error_strerror(error);
    zip_error_fini(error);
    throw SorvaneError(code, context + description);
}

}  // namespace sorvane
