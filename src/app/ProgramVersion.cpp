#include "app/ProgramVersion.h"

namespace zorva {

QString FileVersionText(const FileVersion& version)
{
    const auto low8 = [](std::uint32_t n) { return QString::number(n & 0xFFu); };
    const QString build = low8(version.build);
    return low8(version.major) + u'.' + low8(version.minor) + low8(version.release) + u'.' +
           build.rightJustified(3, u'0');
}

QString VersionLine(const QString& versionText, const QString& makerLine)
{
    return QStringLiteral("Zorva v ") + versionText + QStringLiteral(" \r\r") + makerLine;
}

} // namespace zorva
