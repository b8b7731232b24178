#include "common/log.h"

namespace sorvane {

Log& Log::operator=(Log&& other) noexcept {
    if (this == &other) return *this;
    std::scoped_lock lock(mutex_, other.mutex_);
    text_ = std::move(other.text_);
    listener_ = std::move(other.listener_);
    return *this;
}

void Log::appendLog(std::string_view text) {
    std::lock_guard lock(mutex_);
    text_.append(text);
    if (listener_) listener_(text);
}

std::string Log::logText() const {
    std::lock_guard lock(mutex_);
    return text_;
}

}  // namespace sorvane
