#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::app {

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

// File names cross between Qt and the core in the file system's own encoding.
std::string toNativePath(const QString& path);
QString fromNativePath(const std::string& path);

}  // namespace sorvane::app
