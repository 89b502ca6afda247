// zorva-cli, the real executable, against a simulated module on a pseudo-terminal: every command
// on a clean line, on a line that splits the answers and on one that spoils checksums; then the
// failures that scripts tell apart by the exit code. First the command line without a module.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "CliRig.h"
#include "PtyPair.h"
#include "config/ConfigFields.h"
#include "config/RecordEditing.h"
#include "link/Frames.h"
#include "serial/network/SocketPlatform.h"
#include "serial/platform/SerialPlatform.h"
#include "shell/LanguageTexts.h"
#include "sim/ModuleCore.h"
#include "sim/Simulator.h"
#include "sim/TcpBridge.h"
#include "support/LoopbackListener.h"

namespace zorva::test {
namespace {

struct OfflineCase {
    const char* name;
    QStringList args; // "A", "B": files that differ in the port; "-A": A as "-a.zrd"
    int exit;
    QStringList out, err; // parts of standard output and error
    std::function<void(CliRig&, const CliRun&)> check;
};

class WithoutModule : public CliRig, public ::testing::WithParamInterface<OfflineCase> {};

TEST_P(WithoutModule, FollowsTheCommandLineConventions)
{
    ConfigRecord::Image image = sim::DefaultConfig();
    for (const char* name : {"a.zrd", "-a.zrd", "b.zrd"}) {
        image[cfg::ps + 1] += name[0] == 'b'; // b.zrd: 8081
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.data()), 2048);
    }
    QStringList args = GetParam().args;
    args.replaceInStrings(QRegularExpression(QStringLiteral("^A$")), Path("a.zrd"));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^B$")), Path("b.zrd"));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^-A$")), QStringLiteral("-a.zrd"));
    const CliRun run = Cli(args);
    EXPECT_EQ(run.exit, GetParam().exit) << Show(run);
    for (const QString& part : GetParam().out) {
        EXPECT_TRUE(run.out.contains(part)) << part.toStdString() << "\n" << Show(run);
    }
    for (const QString& part : GetParam().err) {
        EXPECT_TRUE(run.err.contains(part)) << part.toStdString() << "\n" << Show(run);
    }
    if (GetParam().check) {
        GetParam().check(*this, run);
    }
}

// Every value typed, and each given back to --set is taken (the missing port comes after).
void TypedValuesGoBackToSet(CliRig& rig, const CliRun& run)
{
    const QJsonObject fields =
        QJsonDocument::fromJson(run.out.toUtf8()).object()[QStringLiteral("fields")].toObject();
    EXPECT_EQ(fields[QStringLiteral("ps")].toVariant(), QVariant(8080.0));
    EXPECT_EQ(fields[QStringLiteral("camA")].toVariant(), QVariant(true));
    EXPECT_EQ(fields[QStringLiteral("id")].toVariant(), QVariant(QStringLiteral("ZRV0417")));
    QStringList args = {QStringLiteral("--port"), QStringLiteral("/nonexistent/tty"),
                        QStringLiteral("write"), rig.Path("a.zrd")};
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QString value = it.value().isBool()
                                  ? QString::fromLatin1(it.value().toBool() ? "true" : "false")
                                  : it.value().toVariant().toString();
        args << QStringLiteral("--set") << it.key() + u'=' + value;
    }
    const CliRun write = rig.Cli(args);
    EXPECT_EQ(write.exit, 3) << Show(write);
}

// The help names exactly the characters that a phone field takes.
void HelpListsThePhoneCharacters(CliRig&, const CliRun& run)
{
    const QString marker = QStringLiteral("tel tel2           at most 24 of ");
    const qsizetype at = run.out.indexOf(marker);
    ASSERT_GE(at, 0) << Show(run);
    QString listed = run.out.mid(at + marker.size()).section(u'\n', 0, 0);
    listed.replace(QStringLiteral(" and blank"), QStringLiteral("  "));
    listed.replace(QStringLiteral("0-9"), QStringLiteral("0123456789"));
    for (char16_t c = 32; c <= 126; ++c) {
        EXPECT_EQ(RecordEditing::CheckValue(QStringLiteral("tel"), QString(QChar(c))).isEmpty(),
                  c == u' ' ? listed.contains(QStringLiteral("  ")) : listed.contains(QChar(c)))
            << "'" << char(c) << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, WithoutModule,
    ::testing::Values(
        OfflineCase{"Version", {"--version"}, 0, {"zorva-cli 1."}, {}, {}},
        OfflineCase{"OptionEqualsValue", {"--lang=en", "show", "A"}, 0, {"ps     Port:"}, {}, {}},
        OfflineCase{"DoubleDashEndsTheOptions", {"show", "--", "-A"}, 0, {"ps "}, {}, {}},
        OfflineCase{"UnusedOptionRefused", {"show", "A", "--camera", "C"}, 2, {}, {"--camera"}, {}},
        OfflineCase{"DiffOfDifferentFiles",
                    {"--lang", "en", "diff", "A", "B"},
                    1,
                    {"ps Port: 8080 -> 8081"},
                    {},
                    {}},
        OfflineCase{
            "MissingFileNotFound", {"diff", "A", "no.zrd"}, 6, {}, {"no.zrd: not found"}, {}},
        OfflineCase{"ReadIntoMissingFolder",
                    {"--port", "/nonexistent/tty", "read", "no/such/x.zrd"},
                    1,
                    {},
                    {"does not exist"},
                    {}},
        OfflineCase{"ShowJsonIsTyped", {"show", "--json", "A"}, 0, {}, {}, TypedValuesGoBackToSet},
        OfflineCase{"HelpOnPhoneCharacters", {"--help"}, 0, {}, {}, HelpListsThePhoneCharacters}),
    [](const auto& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(json[QStringLiteral("device")].toString(), Path("module.tty"));
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
    EXPECT_EQ(diff.exit, 1);
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

    // Each write and the read-back after it are kept (the read-back says what the module holds);
    // a read that found the module as its newest file has it added nothing.
    const CliRun history = Cli({"history", "--id", "ZRV0417", "--json"});
    ASSERT_EQ(history.exit, 0) << Show(history);
    QStringList kinds;
    for (const QJsonValue& entry : QJsonDocument::fromJson(history.out.toUtf8()).array()) {
        kinds << entry[QStringLiteral("kind")].toString();
    }
    EXPECT_EQ(kinds, (QStringList{"read", "written", "read", "written", "read"})) << Show(history);
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
    std::function<void(sim::Options&)> module = {};
};

class Failures : public CliRig, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failures, EndWithTheirOwnExitCode)
{
    const FailureCase& c = GetParam();
    if (c.module) {
        c.module(options);
    }
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
        FailureCase{
            "ModuleStoresAnotherPort",
            {"store-skew ps"},
            {QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("write"),
             QStringLiteral("A")},
            5,
            {QStringLiteral("write not verified"), QStringLiteral("Port: written 8080, read 8081")},
            {}},
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
                    {QStringLiteral("not found")},
                    {}},
        // What the module said instead of a picture, at once and in the language chosen.
        FailureCase{"CameraSwitchedOff",
                    {},
                    {"--lang", "en", "picture", "--camera", "C", "c.jpg"},
                    1,
                    {"Video channel switched off."},
                    {}},
        FailureCase{"NoPictureToSend",
                    {"no-picture on"},
                    {"--lang", "en", "--timeout", "5", "picture", "x.jpg"},
                    1,
                    {"The module has no picture from this camera."},
                    {}},
        // --timeout bounds the module's silence, not the program's own waits.
        FailureCase{"WriteToAModuleSilentForASecondAfterItsReset",
                    {},
                    {"--timeout", "2", "write", "A"},
                    0,
                    {},
                    {"Write verified"},
                    [](sim::Options& o) { o.resetSeconds = 1; }},
        FailureCase{"PictureWithAnswers300msLate",
                    {"delay 300"},
                    {"--timeout", "2", "picture", "x.jpg"},
                    0,
                    {},
                    {"picture of camera A"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A visit: read, a write that changes the port and the password, then the report. Its text holds
// the module as found, every caption of the window, the change with both values and never the
// password; one picture per camera that is on in the configuration (A, B) and present (A to C).
TEST_F(CliRig, ReportHoldsTheModuleEveryCaptionTheChangeAndAPicturePerCameraOn)
{
    options.cameras = 0x77;
    StartModule();
    ASSERT_EQ(Cli({QStringLiteral("read"), Path("a.zrd")}).exit, 0);
    ASSERT_EQ(Cli({"write", Path("a.zrd"), "--set", "ps=8081", "--set", "pass=newpass1"}).exit, 0);
    const CliRun run = Cli({"--lang", "en", "report", Path("r.pdf"), "--technician", "J. Nowak"});
    ASSERT_EQ(run.exit, 0) << Show(run);
    const auto tool = [](const char* name, const QStringList& args) {
        QProcess process;
        process.start(QLatin1String(name), args);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString text = tool("pdftotext", {QStringLiteral("-layout"), Path("r.pdf"), "-"});
    SetEnglishTexts();
    QStringList expected = {"ZRV0417", "1.02", "J. Nowak"};
    for (const RecordField& field : RecordFields()) {
        if (FieldShownInWindow(field)) {
            expected << FieldCaption(field);
        }
    }
    for (const QString& part : expected) {
        EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
    }
    for (const char* line : {"\\n\\s*Port +8080 +8081\\s", "\\n\\s*Password +set\\s"}) {
        EXPECT_TRUE(text.contains(QRegularExpression(QLatin1String(line))))
            << line << text.toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral("serwis12")) || text.contains("newpass1"));
    const QString list = tool("pdfimages", {QStringLiteral("-list"), Path("r.pdf")});
    const QStringList images =
        list.split(u'\n').filter(QRegularExpression(QStringLiteral(" image +320 +240 ")));
    EXPECT_EQ(images.size(), 2) << list.toStdString() << Show(run);
}

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
    // Named from the system's lock table, as the window names it.
    EXPECT_TRUE(run.err.contains(QStringLiteral("(process %1)").arg(::getpid()))) << Show(run);
}

// --port auto tries the ports in order: a silent line gets one status request and nothing else,
// the module's port is found and named; with no module anywhere the answer is exit code 4.
TEST_F(CliRig, PortAutoFindsTheModuleAfterOneRequestOnASilentLine)
{
    StartModule();
    PtyPair silent;
    portCandidates = {QString::fromStdString(silent.Path()), Path("module.tty")};
    const QStringList args{"--lang", "en", "--port", "auto", "status"};
    const CliRun run = Cli(args);
    EXPECT_EQ(run.exit, 0) << Show(run);
    EXPECT_TRUE(run.err.contains("The module answers on " + Path("module.tty"))) << Show(run);
    EXPECT_TRUE(run.out.contains(Path("module.tty"))) << Show(run); // the status of that port
    const std::vector<std::uint8_t> oneRequest = StanFrame();
    EXPECT_EQ(silent.Receive(oneRequest.size() + 1, std::chrono::milliseconds(200)), oneRequest);

    simulator->Stop();
    const CliRun none = Cli(args);
    EXPECT_EQ(none.exit, 4) << Show(none);
    EXPECT_TRUE(none.err.contains("No module answers on any port.")) << Show(none);
    EXPECT_TRUE(none.err.contains(Path("module.tty") + ": not present")) << Show(none);
    EXPECT_EQ(silent.Receive(oneRequest.size() + 1, std::chrono::milliseconds(200)), oneRequest);
}

// Lines that are not a clean module: an echo of the requests never passes for the module (in the
// search or as an answer that keeps the wait going), a port that goes away while the module is
// silent ends the wait as a port gone, and a module that falls silent after the clock frame is
// no success.
TEST_F(CliRig, LinesThatAreNotACleanModuleEndWithTheirExitCode)
{
    StartModule();
    PtyPair echo;
    echo.Echo();
    const QString echoPath = QString::fromStdString(echo.Path());
    portCandidates = {echoPath, Path("module.tty")};
    const CliRun found = Cli({"--lang", "en", "--port", "auto", "status"});
    EXPECT_EQ(found.exit, 0) << Show(found);
    EXPECT_TRUE(found.err.contains("The module answers on " + Path("module.tty"))) << Show(found);
    const CliRun echoed = Cli({"--port", echoPath, "--timeout", "2", "status"});
    EXPECT_EQ(echoed.exit, 4) << Show(echoed);
    EXPECT_TRUE(echoed.err.contains("silent for 2 s")) << Show(echoed);

    ASSERT_EQ(simulator->Execute("silent after-clock"), "");
    const CliRun clock = Cli({"--timeout", "30", "clock"});
    EXPECT_EQ(clock.exit, 4) << Show(clock);
    EXPECT_TRUE(clock.err.contains("the link was lost")) << Show(clock);

    const CliRun gone = Cli({"--timeout", "3", "status"}, "waiting for the module",
                            [&](QProcess&) { ASSERT_EQ(simulator->Execute("unplug 600"), ""); });
    EXPECT_EQ(gone.exit, 3) << Show(gone);
    EXPECT_TRUE(gone.err.contains("port COM1 lost: ")) << Show(gone);
}

// The history's newest entry is what the module holds, also after a write it acknowledged but did
// not keep, and `history --json` names the module by its identifier.
TEST_F(CliRig, TheHistorysNewestEntryIsWhatTheModuleHolds)
{
    StartModule();
    ASSERT_EQ(Cli({"read", Path("a.zrd")}).exit, 0);
    ASSERT_EQ(Cli({"write", Path("a.zrd"), "--set", "id=AB CD"}).exit, 0);
    ASSERT_EQ(simulator->Execute("store-skew ps"), "");
    const CliRun kept = Cli({"write", Path("a.zrd"), "--set", "id=AB CD", "--set", "ps=8079"});
    ASSERT_EQ(kept.exit, 5) << Show(kept); // the module stored 8080, as before
    const CliRun history = Cli({"history", "--id", "AB CD", "--json"});
    QStringList kinds;
    for (const QJsonValue& entry : QJsonDocument::fromJson(history.out.toUtf8()).array()) {
        kinds << entry[QStringLiteral("kind")].toString();
        EXPECT_EQ(entry[QStringLiteral("id")].toString(), QStringLiteral("AB CD"));
    }
    EXPECT_EQ(kinds, (QStringList{"read", "written", "read", "written"})) << Show(history);

    // A history that cannot be written is said on standard error, --quiet or not.
    ASSERT_TRUE(QDir(Path("data/ZORVA/history")).removeRecursively());
    QFile blocker(Path("data/ZORVA/history"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const CliRun quiet = Cli({"--lang", "en", "--quiet", "read", Path("b.zrd")});
    EXPECT_EQ(quiet.exit, 0) << Show(quiet);
    EXPECT_TRUE(quiet.err.startsWith("Configuration history: ")) << Show(quiet);
}

TEST_F(CliRig, ShowAndEventsPrintWhatScriptsRead)
{
    StartModule();
    ASSERT_EQ(Cli({QStringLiteral("read"), Path("a.zrd")}).exit, 0);
    const CliRun show = Cli({QStringLiteral("show"), Path("a.zrd"), QStringLiteral("--json")});
    ASSERT_EQ(show.exit, 0) << Show(show);
    const QJsonObject json = QJsonDocument::fromJson(show.out.toUtf8()).object();
    EXPECT_EQ(json[QStringLiteral("fields")][QStringLiteral("ps")].toInt(), 8080) << Show(show);

    // Events: each report one JSON line on standard output until SIGTERM.
    const CliRun events = Cli(
        {"--lang", "en", "events", "--json"}, "waiting for event reports", [&](QProcess& process) {
            ASSERT_EQ(simulator->Execute("event 01 B 3"), "");
            process.setReadChannel(QProcess::StandardOutput);
            while (!process.canReadLine() && process.waitForReadyRead(10000)) {
            }
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        });
    EXPECT_EQ(events.exit, 130) << Show(events);
    EXPECT_TRUE(events.err.contains(QStringLiteral("interrupted"))) << Show(events);
    const QJsonObject event = QJsonDocument::fromJson(events.out.toUtf8()).object();
    EXPECT_EQ(event[QStringLiteral("code")].toInt(), 1) << Show(events);
    EXPECT_EQ(event[QStringLiteral("arguments")].toArray(), (QJsonArray{"B", 3})) << Show(events);
    EXPECT_TRUE(event[QStringLiteral("time")].toString().contains(
        QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$)"))))
        << Show(events);
}

// Something happens while the command runs: an interruption, or a report of the module.
struct RunningCase {
    const char* name;
    std::function<void(sim::Options&)> module;
    QStringList args;    // "A": a file read from the module first
    QByteArray marker;   // on standard error: the moment to act
    std::string control; // a simulator command; empty: SIGINT
    int exit;
    QString err;
};

class WhileRunning : public CliRig, public ::testing::WithParamInterface<RunningCase> {};

TEST_P(WhileRunning, EndsAtOnceWithItsExitCode)
{
    const RunningCase& c = GetParam();
    c.module(options);
    StartModule();
    QStringList args = c.args;
    if (args.contains(QStringLiteral("A"))) {
        ASSERT_EQ(Cli({QStringLiteral("read"), Path("a.zrd")}).exit, 0);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^A$")), Path("a.zrd"));
    }
    const CliRun run = Cli(args, c.marker, [&](QProcess& process) {
        if (c.control.empty()) {
            ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        } else {
            ASSERT_EQ(simulator->Execute(c.control), "");
        }
    });
    EXPECT_EQ(run.exit, c.exit) << Show(run);
    EXPECT_TRUE(run.err.contains(c.err)) << c.err.toStdString() << "\n" << Show(run);
}

INSTANTIATE_TEST_SUITE_P(Cli, WhileRunning,
                         ::testing::Values(RunningCase{"WriteInterruptedAfterItsAcknowledgement",
                                                       [](sim::Options& o) { o.resetSeconds = 60; },
                                                       {"write", "A"},
                                                       "written; the module restarts",
                                                       "",
                                                       130,
                                                       "sent but not checked"},
                                           RunningCase{
                                               "PacketNumberErrorDuringAPicture",
                                               [](sim::Options& o) { o.faults.delayMs = 300; },
                                               {"--lang", "en", "picture", "x.jpg"},
                                               "picture: ",
                                               "error DD",
                                               1,
                                               "ZORVA_ERROR: wrong packet number."}),
                         [](const auto& info) { return std::string(info.param.name); });

// Debian's ser2net as an RFC 2217 server in front of the module's line, on its own port.
struct Ser2net {
    bool Start(const QString& folder, const std::string& device)
    {
        const QString config = folder + QStringLiteral("/ser2net.yaml");
        QFile yaml(config);
        if (!yaml.open(QIODevice::WriteOnly)) {
            return false;
        }
        yaml.write(QStringLiteral("connection: &module\n"
                                  "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                  "  connector: serialdev,%2,115200n81,local\n")
                       .arg(port)
                       .arg(QString::fromStdString(device))
                       .toUtf8());
        yaml.close();
        process.start(QStringLiteral("ser2net"),
                      {"-n", "-d", "-c", config, "-P", folder + QStringLiteral("/ser2net.pid")});
        // Listening once a connection is accepted; each try is bounded by its own limit.
        for (int i = 0; i < 50 && process.state() != QProcess::NotRunning; ++i) {
            if (serial::ConnectTcp("127.0.0.1", static_cast<std::uint16_t>(port), 200, nullptr)) {
                return true;
            }
            process.waitForFinished(100);
        }
        return false;
    }
    void Stop()
    {
        process.terminate();
        process.waitForFinished(10000);
    }
    ~Ser2net() { Stop(); }

    int port = [] { return LoopbackListener().port; }(); // free once let go
    QProcess process;
};

TEST_F(CliRig, ThroughAnRfc2217ServerAsThroughTheLine)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty()) {
        GTEST_SKIP() << "ser2net is not installed (scripts/setup-deps)";
    }
    options.traceFile = Path("module.trace").toStdString();
    StartModule();
    Ser2net server;
    ASSERT_TRUE(server.Start(dir.path(), simulator->devicePath()));
    // Through the alias, as a user would set it up; shown as typed.
    const QString address = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port);
    QFile settings(Path("config/Nurvo/QEN.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[ports]\nCOM1=" + address.toUtf8() + "\n");
    settings.close();

    const CliRun status = Cli({"status", "--json"});
    ASSERT_EQ(status.exit, 0) << Show(status);
    EXPECT_EQ(QJsonDocument::fromJson(status.out.toUtf8())["device"].toString(), address);

    // A record holding 0xFF (IAC) and 0x0D (CR): port 65293 is FF 0D.
    ASSERT_EQ(Cli({"read", Path("a.zrd")}).exit, 0);
    const CliRun write = Cli({"write", Path("a.zrd"), "--set", "ps=65293"});
    ASSERT_EQ(write.exit, 0) << Show(write);
    ASSERT_EQ(Cli({"read", Path("c.zrd")}).exit, 0);
    EXPECT_EQ(Bytes(Path("c.zrd")).mid(47, 2), QByteArray("\xFF\x0D"));
    // What the module received: the write frame (175 bytes of record) with FF 0D in it.
    const QList<QByteArray> trace = Bytes(Path("module.trace")).split('\n');
    EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const QByteArray& line) {
        return line.contains(" RX ") && line.size() > 500 && line.contains(" FF 0D ");
    }));

    const CliRun picture = Cli({"picture", "--camera", "B", Path("b.jpg")});
    ASSERT_EQ(picture.exit, 0) << Show(picture);
    EXPECT_TRUE(Bytes(Path("b.jpg")).startsWith("\xFF\xD8\xFF"));

    // The server goes away and comes back: the link returns by itself.
    const CliRun events =
        Cli({"--lang", "en", "events", "--json"}, "waiting for event reports", [&](QProcess& p) {
            server.Stop();
            ASSERT_TRUE(server.Start(dir.path(), simulator->devicePath()));
            p.setReadChannel(QProcess::StandardOutput);
            for (int i = 0; i < 20 && !p.canReadLine(); ++i) {
                simulator->Execute("event 01 B 3");
                p.waitForReadyRead(1000);
            }
            ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        });
    EXPECT_EQ(QJsonDocument::fromJson(events.out.section('\n', 0, 0).toUtf8())["code"].toInt(), 1)
        << Show(events);
}

// zorva-sim --listen's bridge: the module over raw TCP, named on the command line.
TEST_F(CliRig, ThroughTheSimulatorsRawTcpListener)
{
    StartModule();
    sim::TcpBridge bridge;
    std::string error;
    ASSERT_TRUE(bridge.Listen("127.0.0.1", 0, &error)) << error;
    bridge.Start(simulator->linkPath());
    const QString address = QString::fromStdString(bridge.address());
    const CliRun status = Cli({"--port", address, "status", "--json"});
    ASSERT_EQ(status.exit, 0) << Show(status);
    EXPECT_EQ(QJsonDocument::fromJson(status.out.toUtf8())["device"].toString(), address);
}

} // namespace
} // namespace zorva::test
