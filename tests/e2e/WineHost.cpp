#include "WineHost.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>

namespace zorva::e2e {

namespace {

const QString kSettingsKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Nurvo\\QEN");

// "ports/COM1" is the value COM1 of the subkey ports.
QString KeyOf(const QString& name)
{
    const qsizetype slash = name.lastIndexOf(u'/');
    return slash < 0 ? kSettingsKey
                     : kSettingsKey + u'\\' + QString(name.left(slash)).replace(u'/', u'\\');
}

QString ValueOf(const QString& name)
{
    return name.section(u'/', -1);
}

QByteArray RegString(const QString& text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return '"' + escaped.toUtf8() + '"';
}

} // namespace

std::optional<WineHost> WineHost::FromEnvironment()
{
    WineHost host;
    host.programs_ = qEnvironmentVariable("ZORVA_E2E_WINE_PROGRAMS");
    host.prefix_ = qEnvironmentVariable("WINEPREFIX");
    host.comOne_ = qEnvironmentVariable("ZORVA_E2E_WINE_COM1");
    host.wine_ = qEnvironmentVariable("WINE", QStringLiteral("/usr/lib/wine/wine64"));
    host.preload_ = qEnvironmentVariable("ZORVA_PTYMODEM");
    if (host.programs_.isEmpty() || host.prefix_.isEmpty() || host.comOne_.isEmpty()) {
        return std::nullopt;
    }
    return host;
}

QString WineHost::DriveC(const QString& relative) const
{
    return prefix_ + QStringLiteral("/drive_c/") + relative;
}

QString WineHost::WindowsPath(const QString& unixPath) const
{
    const QString driveC = QDir::cleanPath(DriveC(QString())) + u'/';
    const QString path = QDir::cleanPath(unixPath);
    if (path.startsWith(driveC)) {
        return QStringLiteral("C:\\") + QDir::toNativeSeparators(path.mid(driveC.size()));
    }
    return QStringLiteral("Z:") + QString(path).replace(u'/', u'\\');
}

QString WineHost::TemporaryFolder() const
{
    static const QString folder = DriveCFolderOf(QStringLiteral("TEMP"));
    return folder;
}

QString WineHost::DriveCFolderOf(const QString& variable) const
{
    const QString windows = QString::fromLocal8Bit(Run({QStringLiteral("cmd"), QStringLiteral("/c"),
                                                        QStringLiteral("echo %") + variable + u'%'})
                                                       .value_or(QByteArray()))
                                .trimmed();
    if (!windows.startsWith(QStringLiteral("C:\\"), Qt::CaseInsensitive)) {
        return {};
    }
    return DriveC(QString(windows.mid(3)).replace(u'\\', u'/'));
}

bool WineHost::MapComOne(const QString& line) const
{
    QFile::remove(comOne_);
    return QFile::link(line, comOne_);
}

QProcessEnvironment WineHost::Environment(const QProcessEnvironment& base) const
{
    QProcessEnvironment environment = base;
    environment.insert(QStringLiteral("WINEPREFIX"), prefix_);
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    environment.insert(QStringLiteral("WINEARCH"), QStringLiteral("win64"));
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"),
                       QStringLiteral("mscoree,mshtml=;winemenubuilder.exe=d"));
    // The Windows program chooses its own platform; the shipped one has only "windows".
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!preload_.isEmpty()) {
        // The modem-line ioctls of pseudo-terminals, answered as a loopback plug would.
        const QString others = environment.value(QStringLiteral("LD_PRELOAD"));
        environment.insert(QStringLiteral("LD_PRELOAD"),
                           others.isEmpty() ? preload_ : preload_ + u':' + others);
    }
    return environment;
}

QStringList WineHost::Arguments(const QString& exe, const QStringList& arguments) const
{
    return QStringList{WindowsPath(programs_ + u'/' + exe)} + arguments;
}

bool WineHost::SeedSettings(const QMap<QString, QVariant>& values) const
{
    QTemporaryFile file(DriveC(QStringLiteral("zorva-settings-XXXXXX.reg")));
    if (!file.open()) {
        return false;
    }
    QMap<QString, QByteArray> keys;
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QVariant& value = it.value();
        const QByteArray data = value.typeId() == QMetaType::QByteArray
                                    ? "hex:" + value.toByteArray().toHex(',')
                                    : RegString(value.toString());
        keys[KeyOf(it.key())] += RegString(ValueOf(it.key())) + '=' + data + "\r\n";
    }
    QByteArray text = "REGEDIT4\r\n\r\n[-" + kSettingsKey.toUtf8() + "]\r\n\r\n[" +
                      kSettingsKey.toUtf8() + "]\r\n";
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        text += "\r\n[" + it.key().toUtf8() + "]\r\n" + it.value();
    }
    file.write(text);
    file.close();
    return Run({QStringLiteral("reg"), QStringLiteral("import"), WindowsPath(file.fileName())})
        .has_value();
}

QVariant WineHost::Stored(const QString& name) const
{
    const std::optional<QByteArray> out = Run({QStringLiteral("reg"), QStringLiteral("query"),
                                               KeyOf(name), QStringLiteral("/v"), ValueOf(name)});
    if (!out) {
        return {};
    }
    // "    cm    REG_BINARY    01"
    for (const QByteArray& line : out->split('\n')) {
        const QStringList fields =
            QString::fromUtf8(line).trimmed().split(QStringLiteral("    "), Qt::SkipEmptyParts);
        if (fields.size() >= 2 && fields.at(0).compare(ValueOf(name), Qt::CaseInsensitive) == 0) {
            const QString data = fields.value(2).trimmed();
            if (fields.at(1) == QLatin1String("REG_BINARY")) {
                return QByteArray::fromHex(data.toLatin1());
            }
            return data;
        }
    }
    return {};
}

void WineHost::Close(const QString& exe) const
{
    Run({QStringLiteral("taskkill"), QStringLiteral("/im"), exe});
}

std::optional<QByteArray> WineHost::Run(const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment environment = Environment(QProcessEnvironment::systemEnvironment());
    environment.remove(QStringLiteral("LD_PRELOAD"));
    process.setProcessEnvironment(environment);
    process.start(wine_, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(5000);
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

} // namespace zorva::e2e
