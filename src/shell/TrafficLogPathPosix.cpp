// Where the traffic log is saved on a platform without drive letters: "qen.log" in the user's
// home folder stands for the fixed "c:\qen.log".
#include <QDir>

#include "shell/LogFile.h"

namespace zorva {

QStringList TrafficLogSavePaths()
{
    return {QDir::homePath() + QStringLiteral("/qen.log")};
}

} // namespace zorva
