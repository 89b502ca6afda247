// zorva-cli, the real executable, on network ports that are slow or unwilling: Ctrl+C while the
// connection is being made, and a serial device server that refuses the speed and sends nothing.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <QProcess>
#include <QTemporaryDir>

#include "serial/network/SocketPlatform.h"
#include "support/FakeRfc2217Server.h"
#include "support/LoopbackListener.h"

namespace zorva::test {
namespace {

struct CliRun {
    int exit = -1;
    QString err;
};

// Runs zorva-cli with a settings folder of its own; `act` runs once `marker` shows on its
// standard error.
CliRun Cli(const QTemporaryDir& dir, const QStringList& args, const QByteArray& marker = {},
           const std::function<void(QProcess&)>& act = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QString::fromLocal8Bit(qgetenv("ZORVA_BIN_DIR")) + QStringLiteral("/zorva-cli"),
                  args);
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!marker.isEmpty() && !err.contains(marker) && process.waitForReadyRead(30000)) {
        err += process.readAllStandardError();
    }
    if (act && err.contains(marker)) {
        act(process);
    }
    CliRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exit = process.exitCode();
    }
    run.err = QString::fromUtf8(err + process.readAllStandardError());
    return run;
}

// A listener whose queue is full keeps the connect pending: Ctrl+C ends the wait at once, as it
// ends any other.
TEST(CliPort, CtrlCWhileConnectingIsAnInterruption)
{
    QTemporaryDir dir;
    LoopbackListener full(0);
    const auto filler = serial::ConnectTcp(
        std::vector<serial::Endpoint>{{"127.0.0.1", static_cast<std::uint16_t>(full.port)}}, 4000,
        nullptr);
    ASSERT_TRUE(filler);
    const QString address = QStringLiteral("tcp://127.0.0.1:%1").arg(full.port);
    const CliRun run =
        Cli(dir, {QStringLiteral("--port"), address, QStringLiteral("status")}, "connecting",
            [](QProcess& p) { ::kill(static_cast<pid_t>(p.processId()), SIGINT); });
    EXPECT_EQ(run.exit, 130) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("interrupted"))) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("not opened"))) << run.err.toStdString();
}

// The server answers 9600 bit/s to 115200 and stays silent: standard error names the refused
// speed, which is why the module does not answer.
TEST(CliPort, ASpeedTheServerRefusesIsNamedOnStandardError)
{
    QTemporaryDir dir;
    FakeRfc2217Server server;
    const QString address = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port());
    const CliRun run =
        Cli(dir, {QStringLiteral("--port"), address, QStringLiteral("--lang"), QStringLiteral("en"),
                  QStringLiteral("--timeout"), QStringLiteral("1"), QStringLiteral("--quiet"),
                  QStringLiteral("status")});
    EXPECT_EQ(run.exit, 4) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(address + QStringLiteral(": the port server refused a setting: "
                                                          "115200 bit/s")))
        << run.err.toStdString();
}

} // namespace
} // namespace zorva::test
