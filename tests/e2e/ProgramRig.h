// One whole-program run: the simulator zorva-sim and the program (zorva-config, or its test
// build zorva-config-test with the automation hook) as separate processes in a private folder
// with its own HOME, XDG_CONFIG_HOME and TMPDIR. The program runs from a copy in that folder,
// beside its own ini file (which names the log file) and the two language files.
#pragma once

#include <functional>
#include <memory>

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include "TraceFile.h"

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

    // Writes the program's settings file: COM1 mapped to the simulator's link, then `values`
    // (one-byte values as QByteArray).
    void SeedSettings(const QMap<QString, QVariant>& values = {});
    QString SettingsPath() const;
    QVariant Stored(const QString& key) const;

    // Starts the program. With the hook environment set, the test build reads its commands from
    // the FIFO and answers in the replies file; the variables are set for `Shipped` too when
    // `hookEnvironment` is true (the shipped program must ignore them).
    bool StartProgram(Build build, const QStringList& arguments = {}, bool hookEnvironment = false);
    qint64 ProgramPid() const;
    bool ProgramRunning() const;
    // Waits for the hook's READY line.
    bool WaitReady(int timeoutMs);
    // One hook command and its answer.
    HookReply Hook(const QString& command, int timeoutMs = 10000);
    // Repeats the command every 100 ms until it answers OK or the time is up.
    HookReply HookUntilOk(const QString& command, int timeoutMs);
    bool RepliesFileExists() const;
    // SIGTERM, then waits; true when the program ended normally with exit code 0.
    bool TerminateProgram(int timeoutMs = 15000);
    // Waits for the program to end by itself (after "quit").
    bool WaitProgramFinished(int timeoutMs = 15000);

    // The log file, line by line, decoded from Windows-1250.
    QString LogPath() const;
    QStringList LogLines() const;
    // TMPDIR of the program: where it saves pictures.
    QString PictureFolder() const;
    // A folder of this run for the test's own files.
    QString Folder(const QString& name) const;

    // Resident size of the program in kB (VmRSS), -1 when unknown; CPU seconds used so far.
    long ProgramRssKb() const;
    double ProgramCpuSeconds() const;

private:
    bool CopyProgram(const QString& source, const QString& target);

    QTemporaryDir root_;
    QString error_;
    QProcess simulator_;
    QProcess program_;
    TraceFile trace_;
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
