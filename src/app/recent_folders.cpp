#include "app/recent_folders.h"

#include <QDir>
#include <QFileInfo>

namespace sorvane::app {

QString RecentFolders::folderFor(FileKind kind) const {
    for (FileKind source : {kind, FileKind::Archive}) {
        const QString& folder = last_[static_cast<size_t>(source)];
        if (!folder.isEmpty()) return folder;
    }
    return QDir::homePath();
}

void RecentFolders::remember(FileKind kind, const QString& path) {
    last_[static_cast<size_t>(kind)] = QFileInfo(path).absolutePath();
}

}  // namespace sorvane::app
