#include "serial/ComNames.h"

#include <algorithm>

#include <QFile>

#include "serial/DeviceNames.h"
#include "serial/platform/SerialPlatform.h"

namespace zorva {

namespace {

constexpr int kFirstStorable = 1;
constexpr int kLastStorable = 8;

QString ComName(int number)
{
    return QStringLiteral("COM%1").arg(number);
}

const StoredPortAlias* AliasNamed(const QList<StoredPortAlias>& aliases, const QString& name)
{
    for (const StoredPortAlias& alias : aliases) {
        if (alias.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &alias;
        }
    }
    return nullptr;
}

QString DefaultDevice(int number)
{
    return QFile::decodeName(serial::ConventionalDevicePath(ComName(number).toStdString()).c_str());
}

} // namespace

bool IsStorableComName(const QString& name)
{
    if (name.size() != 4 || !name.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive)) {
        return false;
    }
    const QChar digit = name.at(3);
    return digit >= QChar(u'0' + kFirstStorable) && digit <= QChar(u'0' + kLastStorable);
}

bool PortNameIsItsDevice(const QString& name)
{
    // Where COM1 is the device COM1, every listed name is its device's own.
    return !name.isEmpty() && DefaultDevice(1) == ComName(1);
}

std::optional<ComNameChoice> ComNameForDevice(const QString& device,
                                              const QList<StoredPortAlias>& aliases,
                                              const QStringList& offered)
{
    for (int n = kFirstStorable; n <= kLastStorable; ++n) {
        const StoredPortAlias* alias = AliasNamed(aliases, ComName(n));
        if (alias != nullptr && SameDevice(alias->path, device)) {
            return ComNameChoice{alias->name, {}};
        }
    }
    for (int n = kFirstStorable; n <= kLastStorable; ++n) {
        if (AliasNamed(aliases, ComName(n)) == nullptr && SameDevice(DefaultDevice(n), device)) {
            return ComNameChoice{ComName(n), {}};
        }
    }
    for (int n = kFirstStorable; n <= kLastStorable; ++n) {
        if (AliasNamed(aliases, ComName(n)) != nullptr) {
            continue;
        }
        const QString fallback = DefaultDevice(n);
        const bool offeredByPlatform =
            std::any_of(offered.begin(), offered.end(),
                        [&](const QString& path) { return SameDevice(path, fallback); });
        if (!offeredByPlatform) {
            const std::string persistent =
                serial::PersistentDevicePath(QFile::encodeName(device).toStdString());
            return ComNameChoice{ComName(n), QFile::decodeName(persistent.c_str())};
        }
    }
    return std::nullopt;
}

} // namespace zorva
