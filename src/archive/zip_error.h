#pragma once

#include <string>

struct zip_error;

namespace sorvane {

// Throws SorvaneError with libzip's error number and `context` followed by libzip's text, and
// releases `error`; std::bad_alloc when libzip ran out of memory.
[[noreturn]] void throwZipError(zip_error* error, const std::string& context);

}  // namespace sorvane
