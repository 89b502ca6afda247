// Where the traffic log is saved on Windows: the fixed file "c:\qen.log".
#include "shell/LogFile.h"

namespace zorva {

QString TrafficLogSavePath()
{
    return QStringLiteral("c:\\qen.log");
}

} // namespace zorva
