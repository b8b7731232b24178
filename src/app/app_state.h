#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/detector_day.h"
#include "archive/unzip.h"
#include "common/log.h"
#include "plot/interval_data.h"

namespace sorvane::app {

// The program-wide state that the tabs share, owned by the main window for the life of the
// program: the log, the one archive reader, the current detector's days and its plot data.
class AppState {
  public:
    explicit AppState(std::string programFolder);

    // The program folder: settings, reports and the log live there.
    const std::string& programFolder() const { return programFolder_; }
    std::string programFile(std::string_view name) const;

    // Throws SorvaneError when `output`, a file the program writes, is the loaded archive, by
    // whatever path.
    void refuseOverwritingArchive(const std::string& output) const;

    Log& log() { return log_; }
    const Log& log() const { return log_; }

    // The archive reader, created on first use.
    Unzip& reader();
    bool hasReader() const { return reader_ != nullptr; }

    DetectorDay rawDay{};
    DetectorDay imputedDay{};
    IntervalData plotData;

  private:
    std::string programFolder_;
    Log log_;
    std::unique_ptr<Unzip> reader_;
};

// File names cross between Qt and the core in the file system's own encoding.
std::string toNativePath(const QString& path);
QString fromNativePath(const std::string& path);

// Core texts (UTF-8) shown in the window.
inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QStringList toQStringList(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts)
        list.append(toQString(text));
    return list;
}

}  // namespace sorvane::app
