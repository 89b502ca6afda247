// zorva-cli, the real executable, against a simulated module on a pseudo-terminal: every command
// on a clean line, on a line that splits the answers and on one that spoils checksums; then the
// failures that scripts tell apart by the exit code.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "serial/SerialPlatform.h"
#include "sim/Simulator.h"

namespace zorva::test {
namespace {

struct CliRun {
    int exit = -1;
    QString out, err;
};

class CliRig : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("config/Nurvo"));
        options.linkPath = Path("module.tty").toStdString();
        options.resetSeconds = 0.2;
        options.seed = 4242;
    }
    void TearDown() override
    {
        if (simulator) {
            simulator->Stop();
        }
    }

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    void StartModule()
    {
        simulator = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        // The window program's alias, which zorva-cli resolves the same way.
        QFile settings(Path("config/Nurvo/QEN.conf"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[ports]\nCOM1=" + QFile::encodeName(Path("module.tty")) + "\n");
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
        env.insert(QStringLiteral("HOME"), dir.path());
        return env;
    }

    // Runs zorva-cli on COM1 (the alias) unless the arguments name a port.
    CliRun Cli(QStringList args, int timeoutMs = 60000)
    {
        if (!args.contains(QStringLiteral("--port"))) {
            args.prepend(QStringLiteral("COM1"));
            args.prepend(QStringLiteral("--port"));
        }
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(Program(), args);
        CliRun run;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
        } else if (process.exitStatus() == QProcess::NormalExit) {
            run.exit = process.exitCode();
        }
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    static QString Program()
    {
        return QString::fromLocal8Bit(qgetenv("ZORVA_BIN_DIR")) + QStringLiteral("/zorva-cli");
    }

    static QByteArray Bytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    sim::Options options;
    std::unique_ptr<sim::Simulator> simulator;
};

std::string Show(const CliRun& run)
{
    return "exit " + std::to_string(run.exit) + "\nout: " + run.out.toStdString() +
           "\nerr: " + run.err.toStdString();
}

struct LineCase {
    const char* name;
    std::function<void(sim::Options&)> line;
};

class Commands : public CliRig, public ::testing::WithParamInterface<LineCase> {};

TEST_P(Commands, WorkAgainstTheModule)
{
    GetParam().line(options);
    StartModule();

    const CliRun status = Cli({QStringLiteral("status"), QStringLiteral("--json")});
    ASSERT_EQ(status.exit, 0) << Show(status);
    const QJsonObject json = QJsonDocument::fromJson(status.out.toUtf8()).object();
    EXPECT_EQ(json[QStringLiteral("firmware")].toString(), QStringLiteral("1.02"));
    EXPECT_TRUE(
        json[QStringLiteral("cameras")][QStringLiteral("B")][QStringLiteral("on")].toBool());
    EXPECT_FALSE(
        json[QStringLiteral("cameras")][QStringLiteral("C")][QStringLiteral("present")].toBool());

    // Read, write the same file back: the module's record stays as it was.
    const CliRun read = Cli({QStringLiteral("read"), Path("a.zrd")});
    ASSERT_EQ(read.exit, 0) << Show(read);
    const QByteArray before = Bytes(Path("a.zrd"));
    ASSERT_EQ(before.size(), 2048);
    const CliRun same = Cli({QStringLiteral("--quiet"), QStringLiteral("write"), Path("a.zrd")});
    ASSERT_EQ(same.exit, 0) << Show(same);
    EXPECT_TRUE(same.err.isEmpty()) << Show(same);
    ASSERT_EQ(Cli({QStringLiteral("read"), Path("b.zrd")}).exit, 0);
    EXPECT_EQ(Bytes(Path("b.zrd")), before);

    // One field changed: nothing but the port differs afterwards.
    const CliRun port = Cli({QStringLiteral("write"), Path("a.zrd"), QStringLiteral("--set"),
                             QStringLiteral("ps=8081")});
    ASSERT_EQ(port.exit, 0) << Show(port);
    ASSERT_EQ(Cli({QStringLiteral("read"), Path("c.zrd")}).exit, 0);
    const QByteArray after = Bytes(Path("c.zrd"));
    ASSERT_EQ(after.size(), 2048);
    std::vector<int> changed;
    for (int i = 0; i < 2048; ++i) {
        if (after[i] != before[i]) {
            changed.push_back(i);
        }
    }
    // The port is bytes 47 and 48; 8080 (1F 90) to 8081 (1F 91) changes the low one only.
    EXPECT_EQ(changed, (std::vector<int>{48}));
    const CliRun diff = Cli({QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("diff"),
                             Path("a.zrd"), Path("c.zrd")});
    EXPECT_EQ(diff.exit, 0);
    EXPECT_EQ(diff.out.trimmed(), QStringLiteral("ps Port: 8080 -> 8081"));

    const CliRun clock = Cli({QStringLiteral("clock")});
    EXPECT_EQ(clock.exit, 0) << Show(clock);
    EXPECT_TRUE(clock.out.startsWith(QStringLiteral("clock set to "))) << Show(clock);

    const CliRun picture = Cli({QStringLiteral("picture"), QStringLiteral("--camera"),
                                QStringLiteral("B"), Path("b.jpg")});
    ASSERT_EQ(picture.exit, 0) << Show(picture);
    const QByteArray jpeg = Bytes(Path("b.jpg"));
    ASSERT_GT(jpeg.size(), 1000);
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8\xFF"));
    EXPECT_TRUE(jpeg.contains("\xFF\xD9"));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Commands,
    ::testing::Values(LineCase{"CleanLine", [](sim::Options&) {}},
                      LineCase{"SplitAnswers", [](sim::Options& o) { o.faults.split = true; }},
                      LineCase{"CorruptChecksums",
                               [](sim::Options& o) { o.faults.corruptRate = 0.05; }}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::vector<std::string> controls; // simulator commands before the case's run
    QStringList args;                  // "A" stands for a file read from the module first
    int exit;
    QStringList err; // parts of standard error
    QStringList out; // parts of standard output
};

class Failures : public CliRig, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failures, EndWithTheirOwnExitCode)
{
    const FailureCase& c = GetParam();
    StartModule();
    QStringList args;
    for (const QString& arg : c.args) {
        if (arg == QLatin1String("A")) {
            const CliRun read = Cli({QStringLiteral("read"), Path("a.zrd")});
            ASSERT_EQ(read.exit, 0) << Show(read);
            args << Path("a.zrd");
        } else {
            args << arg;
        }
    }
    for (const std::string& control : c.controls) {
        ASSERT_EQ(simulator->Execute(control), "") << control;
    }
    const CliRun run = Cli(args);
    EXPECT_EQ(run.exit, c.exit) << Show(run);
    for (const QString& part : c.err) {
        EXPECT_TRUE(run.err.contains(part)) << part.toStdString() << "\n" << Show(run);
    }
    for (const QString& part : c.out) {
        EXPECT_TRUE(run.out.contains(part)) << part.toStdString() << "\n" << Show(run);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Failures,
    ::testing::Values(
        // Refused before the port is opened: the port named does not even exist.
        FailureCase{"ValueOutOfRange",
                    {},
                    {QStringLiteral("--port"), QStringLiteral("/nonexistent/tty"),
                     QStringLiteral("write"), QStringLiteral("x.zrd"), QStringLiteral("--set"),
                     QStringLiteral("dz=300")},
                    2,
                    {QStringLiteral("dz=300 refused: dz takes 1 to 255")},
                    {}},
        FailureCase{"UnknownCommand", {}, {QStringLiteral("erase")}, 2, {}, {}},
        FailureCase{"PortMissing",
                    {},
                    {QStringLiteral("--port"), QStringLiteral("/nonexistent/tty"),
                     QStringLiteral("status")},
                    3,
                    {QStringLiteral("not present")},
                    {}},
        FailureCase{"SilentModule",
                    {"silent on"},
                    {QStringLiteral("--timeout"), QStringLiteral("2"), QStringLiteral("status")},
                    4,
                    {QStringLiteral("no answer from the module")},
                    {}},
        FailureCase{"ModuleStoresAnotherPort",
                    {"store-skew ps"},
                    {QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("write"),
                     QStringLiteral("A")},
                    5,
                    {QStringLiteral("write not verified")},
                    {QStringLiteral("Port: written 8080, read 8081")}},
        FailureCase{"ModuleRefusesTheWrite",
                    {"reject-write on"},
                    {QStringLiteral("write"), QStringLiteral("A")},
                    5,
                    {QStringLiteral("refused")},
                    {}},
        FailureCase{"FileNotReadable",
                    {},
                    {QStringLiteral("show"), QStringLiteral("/nonexistent/a.zrd")},
                    6,
                    {QStringLiteral("not readable")},
                    {}},
        FailureCase{"CameraSwitchedOff",
                    {},
                    {QStringLiteral("picture"), QStringLiteral("--camera"), QStringLiteral("C"),
                     QStringLiteral("c.jpg")},
                    1,
                    {},
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliRig, SilentAfterTheRestartTheWriteIsNotVerified)
{
    options.resetSeconds = 60;
    StartModule();
    ASSERT_EQ(Cli({QStringLiteral("read"), Path("a.zrd")}).exit, 0);
    const CliRun run = Cli(
        {QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("write"), Path("a.zrd")});
    EXPECT_EQ(run.exit, 5) << Show(run);
    EXPECT_TRUE(run.out.contains(QStringLiteral("could not be verified")) ||
                run.err.contains(QStringLiteral("could not be verified")))
        << Show(run);
}

TEST_F(CliRig, APortHeldByAnotherProgramIsNamedAsInUse)
{
    StartModule();
    const auto holder = serial::OpenSerialPort(Path("module.tty").toStdString());
    ASSERT_TRUE(holder);
    const CliRun run = Cli({QStringLiteral("status")});
    EXPECT_EQ(run.exit, 3) << Show(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("in use by another program"))) << Show(run);
}

TEST_F(CliRig, ShowAndEventsPrintWhatScriptsRead)
{
    StartModule();
    ASSERT_EQ(Cli({QStringLiteral("read"), Path("a.zrd")}).exit, 0);
    const CliRun show = Cli({QStringLiteral("show"), Path("a.zrd"), QStringLiteral("--json")});
    ASSERT_EQ(show.exit, 0) << Show(show);
    const QJsonObject json = QJsonDocument::fromJson(show.out.toUtf8()).object();
    bool sawPort = false;
    for (const auto& field : json[QStringLiteral("fields")].toArray()) {
        if (field[QStringLiteral("name")].toString() == QLatin1String("ps")) {
            sawPort = field[QStringLiteral("value")].toString() == QLatin1String("8080");
        }
    }
    EXPECT_TRUE(sawPort) << Show(show);

    // Events: each report one line on standard output until SIGINT.
    QProcess events;
    events.setProcessEnvironment(Environment());
    events.start(Program(),
                 {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--lang"),
                  QStringLiteral("en"), QStringLiteral("events")});
    QByteArray err;
    for (int i = 0; i < 200 && !err.contains("waiting for event reports"); ++i) {
        events.waitForReadyRead(100);
        err += events.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("waiting for event reports")) << err.toStdString();
    ASSERT_EQ(simulator->Execute("event 03"), "");
    QByteArray out;
    for (int i = 0; i < 100 && !out.contains('\n'); ++i) {
        events.waitForReadyRead(100);
        out += events.readAllStandardOutput();
    }
    EXPECT_FALSE(out.isEmpty());
    ::kill(static_cast<pid_t>(events.processId()), SIGINT);
    ASSERT_TRUE(events.waitForFinished(10000));
    EXPECT_EQ(events.exitCode(), 0);
}

} // namespace
} // namespace zorva::test
