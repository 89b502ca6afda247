// The per-user settings store on Windows: the current user's registry key
// Software\Nurvo\QEN through the registry's own calls, so that one-byte values and placements
// are raw REG_BINARY bytes and "dpth" a REG_SZ string (QSettings would store a byte array as
// the text "@ByteArray(...)"). No [ports] aliases here: COM names reach the devices as they are.
#include <algorithm>
#include <cstring>
#include <string>
#include <windows.h>

#include <QStringList>

#include "shell/SettingsStore.h"

namespace zorva {

namespace {

// Empty parts of the path are skipped, so "Software\Nurvo\QEN\\pos" is the key
// Software\Nurvo\QEN\pos.
std::wstring KeyPath(const QString& key)
{
    return key.split(u'\\', Qt::SkipEmptyParts).join(u'\\').toStdWString();
}

// The key, created when missing; closed when the object goes. Not opened: every call is a
// no-op that reads nothing.
class RegistryKey {
public:
    explicit RegistryKey(const QString& key)
    {
        const std::wstring path = KeyPath(key);
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RegistryKey()
    {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY handle() const { return key_; }

private:
    HKEY key_ = nullptr;
};

QString InvalidDataType(const QString& name)
{
    return QStringLiteral("Invalid data type for '%1'").arg(name);
}

} // namespace

bool RegReadBytesCounted(const QString& key, const QString& name, std::uint8_t* buffer, int count,
                         int* bytesRead, QString* error)
{
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    if (buffer != nullptr && count > 0) {
        std::memset(buffer, 0, static_cast<std::size_t>(count));
    }
    if (name.isEmpty()) {
        return true;
    }
    RegistryKey store(key);
    if (store.handle() == nullptr) {
        return true;
    }
    const std::wstring valueName = name.toStdWString();
    DWORD type = 0;
    DWORD size = 0;
    const LONG found =
        RegQueryValueExW(store.handle(), valueName.c_str(), nullptr, &type, nullptr, &size);
    if (found == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (found != ERROR_SUCCESS || type != REG_BINARY ||
        size > static_cast<DWORD>(std::max(count, 0))) {
        if (error != nullptr) {
            *error = InvalidDataType(name);
        }
        return false;
    }
    if (size > 0 && RegQueryValueExW(store.handle(), valueName.c_str(), nullptr, &type, buffer,
                                     &size) != ERROR_SUCCESS) {
        // Changed under our feet between the two queries: the zeros stand.
        std::memset(buffer, 0, static_cast<std::size_t>(count));
        return true;
    }
    if (bytesRead != nullptr) {
        *bytesRead = static_cast<int>(size);
    }
    return true;
}

bool RegReadBytes(const QString& key, const QString& name, std::uint8_t* buffer, int count,
                  QString* error)
{
    return RegReadBytesCounted(key, name, buffer, count, nullptr, error);
}

void RegWriteBytes(const QString& key, const QString& name, const std::uint8_t* buffer, int count)
{
    if (name.isEmpty() || count < 0 || (buffer == nullptr && count > 0)) {
        return;
    }
    RegistryKey store(key);
    if (store.handle() == nullptr) {
        return;
    }
    const std::wstring valueName = name.toStdWString();
    RegSetValueExW(store.handle(), valueName.c_str(), 0, REG_BINARY, buffer,
                   static_cast<DWORD>(count));
}

QString RegReadString(const QString& key, const QString& name)
{
    if (name.isEmpty()) {
        return {};
    }
    RegistryKey store(key);
    if (store.handle() == nullptr) {
        return {};
    }
    const std::wstring valueName = name.toStdWString();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(store.handle(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
        return {};
    }
    // One spare character: a stored string need not end in NUL.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(store.handle(), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
        return {};
    }
    text.resize(wcsnlen(text.c_str(), size / sizeof(wchar_t)));
    return QString::fromStdWString(text);
}

void RegWriteString(const QString& key, const QString& name, const QString& value)
{
    if (name.isEmpty()) {
        return;
    }
    RegistryKey store(key);
    if (store.handle() == nullptr) {
        return;
    }
    const std::wstring valueName = name.toStdWString();
    const std::wstring text = value.toStdWString();
    RegSetValueExW(store.handle(), valueName.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// COM names are the system's own on Windows: no aliases, and none are kept.
QString PortAlias(const QString&)
{
    return {};
}

QList<StoredPortAlias> PortAliases()
{
    return {};
}

void SetPortAlias(const QString&, const QString&) {}

} // namespace zorva
