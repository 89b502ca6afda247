// The per-user settings store under the key "Software\Nurvo\QEN\" (one file per platform:
// SettingsStore.cpp keeps it in QSettings("Nurvo", "QEN"), where "Software\Nurvo\QEN\\pos" is
// the group "pos"; SettingsStoreWin.cpp in the current user's registry). Binary values are
// raw bytes, "dpth" is text.
#pragma once

#include <cstdint>

#include <QList>
#include <QString>

namespace zorva {

inline const QString kRegKey = QStringLiteral("Software\\Nurvo\\QEN\\");
inline const QString kRegPosKey = QStringLiteral("Software\\Nurvo\\QEN\\\\pos");

// Sets `count` bytes of `buffer` to 0, then copies the stored binary value into it. A missing
// value leaves the zeros and is no error. A value that exists but is not binary, or holds more
// than `count` bytes, is an error: returns false and sets *error to
// "Invalid data type for 'NAME'".
bool RegReadBytes(const QString& key, const QString& name, std::uint8_t* buffer, int count,
                  QString* error = nullptr);
// RegReadBytes that also tells how many bytes were stored (0 for a missing value).
bool RegReadBytesCounted(const QString& key, const QString& name, std::uint8_t* buffer, int count,
                         int* bytesRead, QString* error = nullptr);
// Stores `count` bytes as a binary value (replacing a value of any type).
void RegWriteBytes(const QString& key, const QString& name, const std::uint8_t* buffer, int count);

// A text value; empty when missing.
QString RegReadString(const QString& key, const QString& name);
void RegWriteString(const QString& key, const QString& name, const QString& value);

// Serial port aliases: the group "ports" maps a device name such as "COM1" to a device path.
// Looked up without regard to case; empty when there is none (always on Windows, where COM names
// are the devices).
QString PortAlias(const QString& deviceName);

struct StoredPortAlias {
    QString name; // "COM5"
    QString path; // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"
};
// Every alias of the group "ports", in the store's order.
QList<StoredPortAlias> PortAliases();
// Stores an alias; it replaces one whose name differs only in case.
void SetPortAlias(const QString& deviceName, const QString& path);

} // namespace zorva
