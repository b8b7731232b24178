#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sorvane {

// The program's log text: grows from empty, never cleared. appendLog adds the text exactly as
// given; producers supply their own line ends.
class Log {
  public:
    using Listener = std::function<void(std::string_view)>;

    void appendLog(std::string_view text);
    const std::string& logText() const { return text_; }

    // Called with every appended text (the command line echoes the log to stderr this way).
    void setListener(Listener listener) { listener_ = std::move(listener); }

  private:
    std::string text_;
    Listener listener_;
};

}  // namespace sorvane
