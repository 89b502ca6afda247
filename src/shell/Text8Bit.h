// The one conversion between text and the 8-bit code page (Windows-1250) used by the
// configuration record's text fields, the log file and the saved traffic log.
#pragma once

#include <QByteArray>
#include <QString>

namespace zorva {

// Characters that Windows-1250 cannot hold become '?'.
QByteArray ToCp1250(const QString& text);
QString FromCp1250(const QByteArray& bytes);

} // namespace zorva
