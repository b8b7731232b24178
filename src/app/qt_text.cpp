#include "app/qt_text.h"

#include <QFile>

namespace sorvane::app {

std::string toNativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromNativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace sorvane::app
