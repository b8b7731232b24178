#pragma once

#include <QString>
#include <array>

namespace sorvane::app {

// The kinds of file the window's dialogs ask for; each kind remembers its own folder.
enum class FileKind { Archive, IdList, Csv, Image };

// The folders the file dialogs open in during one run of the program: the folder last used for
// a kind of file, at first the folder of the loaded archive, else the user's home, and never
// the folder the program was started from.
class RecentFolders {
  public:
    QString folderFor(FileKind kind) const;
    // `path` was chosen (or loaded) as a file of this kind.
    void remember(FileKind kind, const QString& path);

  private:
    std::array<QString, 4> last_;
};

}  // namespace sorvane::app
