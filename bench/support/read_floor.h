#pragma once

#include <cstddef>
#include <string>

namespace sorvane::bench {

// The libzip read floor: opens the archive and reads each member's first 2880 (volume) or 5760
// bytes through libzip and does nothing else. Returns the milliseconds it took and sets
// `bytesRead`; exits the program when the archive cannot be opened.
double libzipReadFloor(const std::string& path, size_t& bytesRead);

}  // namespace sorvane::bench
