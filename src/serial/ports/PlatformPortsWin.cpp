// The platform's serial devices for the port list on Windows: the string data of every value
// of HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (read only), such as "COM1" and "COM3",
// shown as they are (the value names, the drivers' device names, are not shown).
#include <algorithm>
#include <string>
#include <windows.h>

#include "serial/ports/PortList.h"

namespace zorva {

std::vector<PortEntry> PlatformDevices()
{
    std::vector<PortEntry> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return ports;
    }
    DWORD valueCount = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return ports;
    }
    for (DWORD i = 0; i < valueCount; ++i) {
        std::wstring name(longestName + 1, L'\0');
        // One spare character: stored string data need not end in NUL.
        std::wstring data(longestData / sizeof(wchar_t) + 1, L'\0');
        DWORD nameLength = longestName + 1;
        DWORD dataBytes = longestData;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &dataBytes) != ERROR_SUCCESS ||
            type != REG_SZ) {
            continue;
        }
        data.resize(wcsnlen(data.c_str(), dataBytes / sizeof(wchar_t)));
        const QString port = QString::fromStdWString(data);
        const bool known = std::any_of(ports.begin(), ports.end(), [&](const PortEntry& e) {
            return e.name.compare(port, Qt::CaseInsensitive) == 0;
        });
        if (!port.isEmpty() && !known) {
            ports.push_back({port, {}, port});
        }
    }
    RegCloseKey(key);
    return ports;
}

} // namespace zorva
