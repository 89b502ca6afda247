#include "shell/UserFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace zorva {

QString UserDocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) {
        return documents;
    }
    return QDir::homePath();
}

} // namespace zorva
