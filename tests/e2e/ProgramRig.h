// One whole-program run: the simulator zorva-sim and the program (zorva-config, or its test
// build zorva-config-test with the automation hook) as separate processes in a private folder.
// The program is the Linux build, run from a copy in that folder with its own HOME,
// XDG_CONFIG_HOME and TMPDIR beside its own ini file (which names the log file) and the two
// language files; or, when the environment names a wine host (WineHost.h), the Windows build
// under wine, observed where a Windows user's files are: the registry, the prefix's %TEMP% and a
// log file on its C: drive.
#pragma once

#include <functional>
#include <memory>

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include "TraceFile.h"
#include "WineHost.h"

namespace zorva::e2e {

// Runs the event loop until `condition` holds or `timeoutMs` have passed; returns whether it
// holds. The condition is looked at every 20 ms.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

enum class Build {
    Shipped, // zorva-config, as installed
    Test,    // zorva-config-test, with the automation hook
};

struct HookReply {
    bool answered = false;
    bool ok = false;
    QString text;
};

class ProgramRig {
public:
    ProgramRig();
    ~ProgramRig();
    ProgramRig(const ProgramRig&) = delete;
    ProgramRig& operator=(const ProgramRig&) = delete;

    // Why the last start failed; what the processes wrote to their standard error.
    QString Error() const { return error_; }
    QString Diagnostics() const;

    // The simulator on the link <dir>/module.tty with a trace, started with `arguments` besides
    // --link and --trace. Its standard input takes control commands (Sim).
    bool StartSimulator(const QStringList& arguments);
    void Sim(const QString& command);
    // Sends the command and waits until the trace shows the note it makes (e.g. "silent on").
    bool SimAndWaitNote(const QString& command, const QString& note, int timeoutMs);
    TraceFile& Trace() { return trace_; }
    QString LinkPath() const;

    // Whether the program is the Windows build under wine.
    bool Windows() const { return wine_.has_value(); }
    // The port to pick in the port settings dialog to reach the simulator: under wine COM12
    // (mapped beside COM1 to the same line, a number above COM8 as USB adapters get), else COM1.
    QString SecondPortName() const
    {
        return wine_ ? QStringLiteral("COM12") : QStringLiteral("COM1");
    }

    // Writes the program's settings (the settings file, or the registry under wine): on Linux
    // COM1 aliased to the simulator's link, then `values` (one-byte values as QByteArray).
    // Under wine COM1 is mapped to the link by StartSimulator.
    void SeedSettings(const QMap<QString, QVariant>& values = {});
    QVariant Stored(const QString& key) const;

    // Starts the program. With the hook environment set, the test build reads its commands from
    // its standard input and answers in the replies file; the variable is set for `Shipped` too
    // when `hookEnvironment` is true (the shipped program must ignore it).
    bool StartProgram(Build build, const QStringList& arguments = {}, bool hookEnvironment = false);
    qint64 ProgramPid() const;
    bool ProgramRunning() const;
    // Waits for the hook's READY line.
    bool WaitReady(int timeoutMs);
    // One hook command and its answer.
    HookReply Hook(const QString& command, int timeoutMs = 30000);
    // Repeats the command every 100 ms until it answers OK or the time is up.
    HookReply HookUntilOk(const QString& command, int timeoutMs);
    bool RepliesFileExists() const;
    // Asks the program to end (SIGTERM; under wine, its window is closed as Windows does), then
    // waits; true when the program ended normally with exit code 0.
    bool TerminateProgram(int timeoutMs = 30000);
    // Waits for the program to end by itself (after "quit").
    bool WaitProgramFinished(int timeoutMs = 30000);

    // The log file, line by line, decoded from Windows-1250.
    QString LogPath() const;
    QStringList LogLines() const;
    // The program's temporary folder (TMPDIR, or %TEMP% under wine): where it saves pictures.
    QString PictureFolder() const;
    // The configuration history's folder (under wine shared by every run of the prefix).
    QString HistoryFolder() const;
    // Under wine: where "Save log" writes, c:\qen.log and then qen.log in the user's documents.
    QStringList TrafficLogFiles() const;
    // A folder of this run for the test's own files.
    QString Folder(const QString& name) const;

    // Resident size of the program in kB (VmRSS), -1 when unknown; CPU seconds used so far.
    long ProgramRssKb() const;
    double ProgramCpuSeconds() const;

private:
    bool CopyProgram(const QString& source, const QString& target);
    QString SettingsPath() const;
    QString ProgramName() const;

    std::optional<WineHost> wine_;
    QTemporaryDir root_;
    QString error_;
    QProcess simulator_;
    QProcess program_;
    TraceFile trace_;
    Build build_ = Build::Shipped;
    int hookSequence_ = 0;
    qint64 repliesOffset_ = 0;
    QMap<int, HookReply> replies_;
    bool ready_ = false;
    void ReadReplies();
};

// Where the executables are: ZORVA_BIN_DIR (else the build's runtime folder) and
// ZORVA_TEST_PROGRAM (else the build's test build).
QString BinaryDir();
QString TestProgramPath();

} // namespace zorva::e2e
