#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace sorvane {

// The program's log text: grows from empty, never cleared. appendLog adds the text exactly as
// given; producers supply their own line ends. Any thread may append or read: a job on a worker
// thread logs while the window shows the log.
class Log {
  public:
    using Listener = std::function<void(std::string_view)>;

    Log() = default;
    // Takes the other's text and listener: a log begun anew.
    Log& operator=(Log&& other) noexcept;

    void appendLog(std::string_view text);
    std::string logText() const;

    // Called with every appended text, in order (the command line echoes the log to stderr
    // this way). Set before the log is shared between threads.
    void setListener(Listener listener) { listener_ = std::move(listener); }

  private:
    mutable std::mutex mutex_;
    std::string text_;
    Listener listener_;
};

}  // namespace sorvane
