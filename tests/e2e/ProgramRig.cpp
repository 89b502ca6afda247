#include "ProgramRig.h"

#include <csignal>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QTimer>

namespace zorva::e2e {

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Tail(const QString& path, int lines)
{
    const QStringList all = QString::fromUtf8(ReadFile(path)).split(u'\n');
    return all.mid(std::max<qsizetype>(0, all.size() - lines)).join(u'\n');
}

} // namespace

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

QString BinaryDir()
{
    const QString dir = qEnvironmentVariable("ZORVA_BIN_DIR");
    return dir.isEmpty() ? QStringLiteral(ZORVA_E2E_BIN_DIR) : dir;
}

QString TestProgramPath()
{
    const QString path = qEnvironmentVariable("ZORVA_TEST_PROGRAM");
    return path.isEmpty() ? QStringLiteral(ZORVA_E2E_TEST_PROGRAM) : path;
}

ProgramRig::ProgramRig() : wine_(WineHost::FromEnvironment())
{
    for (const char* name : {"home", "config", "tmp", "program", "log", "sim", "files"}) {
        QDir(root_.path()).mkpath(QLatin1String(name));
    }
    trace_.setPath(root_.filePath(QStringLiteral("sim/trace.txt")));
    if (wine_) {
        QDir().mkpath(QFileInfo(LogPath()).path());
    }
}

ProgramRig::~ProgramRig()
{
    if (program_.state() != QProcess::NotRunning) {
        program_.kill();
        program_.waitForFinished(5000);
    }
    if (simulator_.state() != QProcess::NotRunning) {
        simulator_.write("quit\n");
        if (!simulator_.waitForFinished(5000)) {
            simulator_.kill();
            simulator_.waitForFinished(5000);
        }
    }
    if (getenv("ZORVA_E2E_KEEP") != nullptr) {
        root_.setAutoRemove(false);
        qInfo("kept %s", qPrintable(root_.path()));
    } else if (wine_) {
        QDir(QFileInfo(LogPath()).path()).removeRecursively();
    }
}

QString ProgramRig::Folder(const QString& name) const
{
    QDir(root_.path()).mkpath(name);
    return root_.filePath(name);
}

QString ProgramRig::LinkPath() const
{
    return root_.filePath(QStringLiteral("sim/module.tty"));
}

QString ProgramRig::Diagnostics() const
{
    return QStringLiteral("folder %1\n-- program:\n%2\n-- simulator:\n%3")
        .arg(root_.path(), Tail(root_.filePath(QStringLiteral("program.out")), 20),
             Tail(root_.filePath(QStringLiteral("sim/stderr")), 10));
}

bool ProgramRig::StartSimulator(const QStringList& arguments)
{
    simulator_.setStandardOutputFile(root_.filePath(QStringLiteral("sim/stdout")));
    simulator_.setStandardErrorFile(root_.filePath(QStringLiteral("sim/stderr")));
    simulator_.start(BinaryDir() + QStringLiteral("/zorva-sim"),
                     QStringList{QStringLiteral("--link"), LinkPath(), QStringLiteral("--trace"),
                                 root_.filePath(QStringLiteral("sim/trace.txt"))} +
                         arguments);
    if (!simulator_.waitForStarted(30000)) {
        error_ = QStringLiteral("zorva-sim did not start: ") + simulator_.errorString();
        return false;
    }
    if (!WaitFor(
            [this] {
                return QFileInfo::exists(LinkPath()) || simulator_.state() == QProcess::NotRunning;
            },
            30000) ||
        !QFileInfo::exists(LinkPath())) {
        error_ = QStringLiteral("zorva-sim published no line: ") +
                 QString::fromUtf8(ReadFile(root_.filePath(QStringLiteral("sim/stderr"))));
        return false;
    }
    if (wine_ && !wine_->MapComOne(LinkPath())) {
        error_ = QStringLiteral("cannot map COM1 to the simulator's line");
        return false;
    }
    return true;
}

void ProgramRig::Sim(const QString& command)
{
    simulator_.write(command.toUtf8() + '\n');
    simulator_.waitForBytesWritten(30000);
}

bool ProgramRig::SimAndWaitNote(const QString& command, const QString& note, int timeoutMs)
{
    const double since = MonotonicSeconds();
    Sim(command);
    return WaitFor([&] { return !trace_.Notes(note, since).isEmpty(); }, timeoutMs);
}

QString ProgramRig::SettingsPath() const
{
    return root_.filePath(QStringLiteral("config/Nurvo/QEN.conf"));
}

void ProgramRig::SeedSettings(const QMap<QString, QVariant>& values)
{
    if (wine_) {
        if (!wine_->SeedSettings(values)) {
            error_ = QStringLiteral("wine reg import failed");
        }
        return;
    }
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("ports/COM1"), LinkPath());
    for (auto it = values.begin(); it != values.end(); ++it) {
        settings.setValue(it.key(), it.value());
    }
    settings.sync();
}

QVariant ProgramRig::Stored(const QString& key) const
{
    if (wine_) {
        return wine_->Stored(key);
    }
    return QSettings(SettingsPath(), QSettings::IniFormat).value(key);
}

QString ProgramRig::LogPath() const
{
    if (wine_) {
        return wine_->DriveC(QStringLiteral("zorva-e2e/") + QFileInfo(root_.path()).fileName() +
                             QStringLiteral("/zorva.log"));
    }
    return root_.filePath(QStringLiteral("log/zorva.log"));
}

QStringList ProgramRig::LogLines() const
{
    QStringDecoder decode("windows-1250");
    QStringList lines = QString(decode(ReadFile(LogPath()))).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

QString ProgramRig::PictureFolder() const
{
    return wine_ ? wine_->TemporaryFolder() : root_.filePath(QStringLiteral("tmp"));
}

QString ProgramRig::HistoryFolder() const
{
    return (wine_ ? wine_->DriveCFolderOf(QStringLiteral("LOCALAPPDATA"))
                  : root_.filePath(QStringLiteral("data"))) +
           QStringLiteral("/ZORVA/history");
}

QStringList ProgramRig::TrafficLogFiles() const
{
    return {wine_->DriveC(QStringLiteral("qen.log")),
            wine_->DriveCFolderOf(QStringLiteral("USERPROFILE")) +
                QStringLiteral("/Documents/qen.log")};
}

QString ProgramRig::ProgramName() const
{
    return QLatin1String(build_ == Build::Test ? "zorva-config-test" : "zorva-config") +
           QLatin1String(wine_ ? ".exe" : "");
}

bool ProgramRig::CopyProgram(const QString& source, const QString& target)
{
    // A hard link is as good as a copy (the program finds its ini file through its own path,
    // which the kernel reports as the link's) and costs nothing.
    if (::link(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0) {
        return true;
    }
    return QFile::copy(source, target);
}

bool ProgramRig::StartProgram(Build build, const QStringList& arguments, bool hookEnvironment)
{
    build_ = build;
    const bool test = build == Build::Test;
    const QString folder =
        wine_ ? wine_->ProgramFolder() : root_.filePath(QStringLiteral("program"));
    const QString program = folder + u'/' + ProgramName();
    if (!wine_) {
        const QString source = test ? TestProgramPath() : BinaryDir() + u'/' + ProgramName();
        if (!QFileInfo::exists(program) && !CopyProgram(source, program)) {
            error_ = QStringLiteral("cannot copy ") + source;
            return false;
        }
        for (const char* language : {"zr_pl.ini", "zr_en.ini"}) {
            const QString target = folder + u'/' + QLatin1String(language);
            if (!QFileInfo::exists(target) &&
                !QFile::copy(BinaryDir() + u'/' + QLatin1String(language), target)) {
                error_ = QStringLiteral("cannot copy the language file ") + QLatin1String(language);
                return false;
            }
        }
    } else {
        // Pictures of an earlier run would be taken for this one's.
        const QDir temporary(PictureFolder());
        for (const QString& name : temporary.entryList({QStringLiteral("zr_p*")}, QDir::Files)) {
            QFile::remove(temporary.filePath(name));
        }
    }
    QFile ini(QFileInfo(program).path() + u'/' + QFileInfo(program).completeBaseName() +
              QStringLiteral(".ini"));
    if (!ini.open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("cannot write the program ini file");
        return false;
    }
    const QString logName = wine_ ? wine_->WindowsPath(LogPath()) : LogPath();
    ini.write("[LOGFILE]\r\nfilename=" + QFile::encodeName(logName) + "\r\n");
    ini.close();

    // Under wine the prefix holds the user's folders, and the wineserver is found through
    // TMPDIR: those stay as they are.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (wine_) {
        environment = wine_->Environment(environment);
    } else {
        environment.insert(QStringLiteral("HOME"), root_.filePath(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           root_.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("TMPDIR"), root_.filePath(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), root_.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    environment.remove(QStringLiteral("ZORVA_TEST_REPLIES"));
    if (test || hookEnvironment) {
        const QString replies = root_.filePath(QStringLiteral("hook.replies"));
        environment.insert(QStringLiteral("ZORVA_TEST_REPLIES"),
                           wine_ ? wine_->WindowsPath(replies) : replies);
    }
    program_.setWorkingDirectory(root_.filePath(QStringLiteral("home")));
    program_.setProcessChannelMode(QProcess::MergedChannels);
    program_.setStandardOutputFile(root_.filePath(QStringLiteral("program.out")),
                                   QIODevice::Append);
    program_.setProcessEnvironment(environment);
    if (wine_) {
        program_.start(wine_->Loader(), wine_->Arguments(ProgramName(), arguments));
    } else {
        program_.start(program, arguments);
    }
    if (!program_.waitForStarted(30000)) {
        error_ = QStringLiteral("the program did not start: ") + program_.errorString();
        return false;
    }
    return true;
}

qint64 ProgramRig::ProgramPid() const
{
    return program_.processId();
}

bool ProgramRig::ProgramRunning() const
{
    return program_.state() != QProcess::NotRunning;
}

void ProgramRig::ReadReplies()
{
    QFile file(root_.filePath(QStringLiteral("hook.replies")));
    if (!file.open(QIODevice::ReadOnly) || !file.seek(repliesOffset_)) {
        return;
    }
    const QByteArray fresh = file.readAll();
    const qsizetype complete = fresh.lastIndexOf('\n') + 1;
    repliesOffset_ += complete;
    for (const QByteArray& raw : fresh.left(complete).split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line == QLatin1String("READY")) {
            ready_ = true;
            continue;
        }
        bool numeric = false;
        const int id = line.section(u' ', 0, 0).toInt(&numeric);
        if (!numeric) {
            continue;
        }
        HookReply reply;
        reply.answered = true;
        reply.ok = line.section(u' ', 1, 1) == QLatin1String("OK");
        reply.text = line.section(u' ', 2);
        replies_.insert(id, reply);
    }
}

bool ProgramRig::RepliesFileExists() const
{
    return QFileInfo::exists(root_.filePath(QStringLiteral("hook.replies")));
}

bool ProgramRig::WaitReady(int timeoutMs)
{
    return WaitFor(
               [this] {
                   ReadReplies();
                   return ready_ || !ProgramRunning();
               },
               timeoutMs) &&
           ready_;
}

HookReply ProgramRig::Hook(const QString& command, int timeoutMs)
{
    const int id = ++hookSequence_;
    const QByteArray line = QByteArray::number(id) + ' ' + command.toUtf8() + '\n';
    if (program_.write(line) != line.size() || !program_.waitForBytesWritten(30000)) {
        return {};
    }
    WaitFor(
        [&] {
            ReadReplies();
            return replies_.contains(id) || !ProgramRunning();
        },
        timeoutMs);
    return replies_.value(id);
}

HookReply ProgramRig::HookUntilOk(const QString& command, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    HookReply reply;
    WaitFor(
        [&] {
            reply =
                Hook(command, static_cast<int>(std::max<qint64>(100, deadline.remainingTime())));
            return reply.ok || !ProgramRunning();
        },
        timeoutMs);
    return reply;
}

bool ProgramRig::TerminateProgram(int timeoutMs)
{
    if (ProgramRunning()) {
        if (wine_) {
            wine_->Close(ProgramName());
        } else {
            ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
        }
    }
    return WaitProgramFinished(timeoutMs);
}

bool ProgramRig::WaitProgramFinished(int timeoutMs)
{
    if (!WaitFor([this] { return !ProgramRunning(); }, timeoutMs)) {
        program_.kill();
        program_.waitForFinished(5000);
        return false;
    }
    return program_.exitStatus() == QProcess::NormalExit && program_.exitCode() == 0;
}

long ProgramRig::ProgramRssKb() const
{
    const QByteArray status = ReadFile(QStringLiteral("/proc/%1/status").arg(program_.processId()));
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

double ProgramRig::ProgramCpuSeconds() const
{
    const QByteArray stat = ReadFile(QStringLiteral("/proc/%1/stat").arg(program_.processId()));
    // Fields after the command name in parentheses; utime and stime are fields 14 and 15.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return -1;
    }
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

} // namespace zorva::e2e
