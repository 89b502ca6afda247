// Points every per-user location (settings, home, data, temporary files) at a private temporary
// folder before main() runs, so that no test reads or writes the machine's own settings.
#include <cstdlib>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct PrivateUserFolders {
    QTemporaryDir root;

    PrivateUserFolders()
    {
        if (!root.isValid()) {
            std::abort();
        }
        for (const char* name : {"config", "home", "tmp", "data"}) {
            QDir(root.path()).mkpath(QString::fromLatin1(name));
        }
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
        qputenv("HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
        qputenv("TMPDIR", QFile::encodeName(root.filePath(QStringLiteral("tmp"))));
    }
};

// Constructed during static initialisation, before the first QSettings exists.
const PrivateUserFolders folders;

} // namespace
