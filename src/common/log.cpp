#include "common/log.h"

namespace sorvane {

void Log::appendLog(std::string_view text) {
    text_.append(text);
    if (listener_) listener_(text);
}

}  // namespace sorvane
