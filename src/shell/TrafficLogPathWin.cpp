// Where the traffic log is saved on Windows: the fixed file "c:\qen.log", and "qen.log" in the
// user's documents folder when that cannot be written (a program without administrator rights
// may not create files in C:\ on Windows 10 and later).
#include <QDir>

#include "shell/LogFile.h"
#include "shell/UserFolders.h"

namespace zorva {

QStringList TrafficLogSavePaths()
{
    return {QStringLiteral("c:\\qen.log"),
            QDir::toNativeSeparators(UserDocumentsFolder() + QStringLiteral("/qen.log"))};
}

} // namespace zorva
