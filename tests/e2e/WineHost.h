// The Windows build of the program under wine, as the end-to-end rig sees it: a prepared prefix
// (scripts/windows/e2e makes it), the program's folder inside it, COM1 mapped to a symbolic
// link that the rig points at the simulator's line, and the Windows places of what the rig
// observes: the current user's registry, the prefix's temporary folder and its C: drive.
#pragma once

#include <optional>

#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QVariant>

namespace zorva::e2e {

class WineHost {
public:
    // The host named by the environment (ZORVA_E2E_WINE_PROGRAMS, WINEPREFIX, WINE,
    // ZORVA_E2E_WINE_COM1, ZORVA_PTYMODEM), or nothing: the rig then runs the Linux build.
    static std::optional<WineHost> FromEnvironment();

    // The unix folder of the program files (the unpacked zip with the test build beside it).
    QString ProgramFolder() const { return programs_; }
    // A unix path under the prefix's C: drive, and the Windows name of any unix path.
    QString DriveC(const QString& relative) const;
    QString WindowsPath(const QString& unixPath) const;
    // The prefix's %TEMP% as a unix path.
    QString TemporaryFolder() const;
    // A folder that an environment variable of the prefix names (LOCALAPPDATA), as a unix path
    // on its C: drive.
    QString DriveCFolderOf(const QString& variable) const;

    // Points COM1 at `line` from the next open of the port on.
    bool MapComOne(const QString& line) const;
    // The environment and the command line that run `exe` (a file of the program folder).
    QProcessEnvironment Environment(const QProcessEnvironment& base) const;
    QString Loader() const { return wine_; }
    QStringList Arguments(const QString& exe, const QStringList& arguments) const;

    // The current user's key Software\Nurvo\QEN: replaced by `values` (byte arrays become
    // REG_BINARY, the rest REG_SZ); one value read back (nothing when missing).
    bool SeedSettings(const QMap<QString, QVariant>& values) const;
    QVariant Stored(const QString& name) const;
    // Closes the program's windows as Windows does when asked to end a program (WM_CLOSE).
    void Close(const QString& exe) const;

private:
    // Runs a wine command to its end; its standard output, or nothing when it failed.
    std::optional<QByteArray> Run(const QStringList& arguments) const;

    QString programs_;
    QString prefix_;
    QString wine_;
    QString comOne_;
    QString preload_;
};

} // namespace zorva::e2e
