// zorva-cli, the real executable, on network ports that are slow or unwilling: Ctrl+C while the
// connection is being made, and a serial device server that refuses the speed and sends nothing.
#include <csignal>

#include "CliRig.h"
#include "serial/network/SocketPlatform.h"
#include "support/FakeRfc2217Server.h"
#include "support/LoopbackListener.h"

namespace zorva::test {
namespace {

// A listener whose queue is full keeps the connect pending: Ctrl+C ends the wait at once, as it
// ends any other.
TEST_F(CliRig, CtrlCWhileConnectingIsAnInterruption)
{
    LoopbackListener full(0);
    ASSERT_TRUE(
        serial::ConnectTcp({{"127.0.0.1", static_cast<std::uint16_t>(full.port)}}, 4000, nullptr));
    const CliRun run =
        Cli({"--port", QStringLiteral("tcp://127.0.0.1:%1").arg(full.port), "status"}, "connecting",
            [](QProcess& p) { ::kill(static_cast<pid_t>(p.processId()), SIGINT); });
    EXPECT_EQ(run.exit, 130) << Show(run);
    EXPECT_TRUE(run.err.contains("interrupted") && !run.err.contains("not opened")) << Show(run);
}

// The server answers 9600 bit/s to 115200 and stays silent: standard error names the refused
// speed, also with --quiet, which is why the module does not answer.
TEST_F(CliRig, ASpeedTheServerRefusesIsNamedOnStandardError)
{
    FakeRfc2217Server server;
    const QString address = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port());
    const CliRun run =
        Cli({"--port", address, "--lang", "en", "--timeout", "1", "--quiet", "status"});
    EXPECT_EQ(run.exit, 4) << Show(run);
    EXPECT_TRUE(run.err.contains(address + ": the port server refused a setting: 115200 bit/s"))
        << Show(run);
}

} // namespace
} // namespace zorva::test
