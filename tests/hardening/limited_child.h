#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace sorvane::test {

// Runs `work` in a forked child whose files may grow to at most `maxFileBytes` bytes, as on a
// disk that is full. SIGXFSZ is ignored there, so a write past the limit fails with EFBIG
// instead of ending the child. Returns the child's exit status (the value `work` returned),
// or -1 when it did not exit normally.
int runWithFileSizeLimit(size_t maxFileBytes, const std::function<int()>& work);

// Runs a program (args[0]) under the same limit; its stdout and stderr go through pipes, which
// the limit does not touch.
CommandResult runCommandWithFileSizeLimit(size_t maxFileBytes,
                                          const std::vector<std::string>& args);

}  // namespace sorvane::test
