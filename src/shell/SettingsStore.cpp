#include "shell/SettingsStore.h"

#include <algorithm>
#include <cstring>

#include <QByteArray>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace zorva {

namespace {

// Registry-style keys map onto QSettings("Nurvo", "QEN"): the prefix "Software\Nurvo\QEN\" is
// the store's root, whatever follows it is a group path whose back-slash separated parts
// become nested groups (empty parts are skipped, so "Software\Nurvo\QEN\\pos" is the group
// "pos"). A key outside that prefix is taken as a group path as a whole.
QString GroupForKey(const QString& key)
{
    static const QString kRoot = QStringLiteral("Software\\Nurvo\\QEN");
    QString rest = key;
    if (rest.startsWith(kRoot, Qt::CaseInsensitive)) {
        rest = rest.mid(kRoot.size());
    }
    const QStringList parts = rest.split(u'\\', Qt::SkipEmptyParts);
    return parts.join(u'/');
}

// Opens the store at the group of `key`; the group ends when the object goes.
class KeyScope {
public:
    explicit KeyScope(const QString& key)
        : settings_(QStringLiteral("Nurvo"), QStringLiteral("QEN"))
    {
        const QString group = GroupForKey(key);
        if (!group.isEmpty()) {
            settings_.beginGroup(group);
        }
    }
    QSettings& operator*() { return settings_; }
    QSettings* operator->() { return &settings_; }

private:
    QSettings settings_;
};

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
    KeyScope store(key);
    const QVariant value = store->value(name);
    if (!value.isValid()) {
        return true;
    }
    // Only a value stored as binary counts: a text value from a hand-edited file (cm=2) is
    // refused even though it could be converted, as the registry refuses a string value.
    const bool binary = value.typeId() == QMetaType::QByteArray;
    const QByteArray bytes = binary ? value.toByteArray() : QByteArray();
    if (!binary || bytes.size() > std::max(count, 0)) {
        if (error != nullptr) {
            *error = QStringLiteral("Invalid data type for '%1'").arg(name);
        }
        return false;
    }
    if (!bytes.isEmpty()) {
        std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    if (bytesRead != nullptr) {
        *bytesRead = static_cast<int>(bytes.size());
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
    KeyScope store(key);
    store->setValue(name, QByteArray(reinterpret_cast<const char*>(buffer), count));
}

QString RegReadString(const QString& key, const QString& name)
{
    if (name.isEmpty()) {
        return {};
    }
    KeyScope store(key);
    const QVariant value = store->value(name);
    // A hand-edited text with a comma comes back from the ini format as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

void RegWriteString(const QString& key, const QString& name, const QString& value)
{
    if (name.isEmpty()) {
        return;
    }
    KeyScope store(key);
    store->setValue(name, value);
}

QString PortAlias(const QString& deviceName)
{
    if (deviceName.isEmpty()) {
        return {};
    }
    QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    settings.beginGroup(QStringLiteral("ports"));
    const QStringList names = settings.childKeys();
    for (const QString& name : names) {
        if (name.compare(deviceName, Qt::CaseInsensitive) == 0) {
            return settings.value(name).toString();
        }
    }
    return {};
}

QList<StoredPortAlias> PortAliases()
{
    QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    settings.beginGroup(QStringLiteral("ports"));
    QList<StoredPortAlias> aliases;
    for (const QString& name : settings.childKeys()) {
        aliases.append({name, settings.value(name).toString()});
    }
    return aliases;
}

void SetPortAlias(const QString& deviceName, const QString& path)
{
    QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    settings.beginGroup(QStringLiteral("ports"));
    for (const QString& name : settings.childKeys()) {
        if (name.compare(deviceName, Qt::CaseInsensitive) == 0) {
            settings.remove(name);
        }
    }
    settings.setValue(deviceName, path);
}

} // namespace zorva
