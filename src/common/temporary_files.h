#pragma once

#include <string>

namespace sorvane {

// The temporary files that are being written beside their destinations. Ctrl-C, SIGTERM and
// SIGHUP remove them before the program ends by the signal, so that an interrupted export or
// report leaves nothing behind; the destination keeps its old content. SIGXFSZ (a file-size
// limit) is ignored, so that a write past the limit fails like a full disk and is reported.
// A signal whose action the program has set already (ignored, or handled) is left alone.

// Sets up the signal actions above; called before the first temporary file is made.
void installTemporaryFileCleanup();

// Creates a temporary file from a mkstemp() pattern (which receives the name) and registers it,
// with the three signals held meanwhile so that no file escapes the registry. Returns the open
// descriptor, or -1 with errno set. `slot` is -1 when the file could not be registered (a path
// too long, every slot taken): then only its writer removes it.
int createTemporaryFile(std::string& pattern, int& slot);

// Removes a registered temporary file and forgets it.
void removeTemporaryFile(const std::string& path, int slot);

// Forgets a temporary file that was renamed into place.
void releaseTemporaryFile(int slot);

}  // namespace sorvane
