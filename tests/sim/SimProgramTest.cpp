// The zorva-sim program as scripts start it: its help, its command line, standard input at its
// end, a script, the trace file and stopping by signal or by command.
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LineClient.h"
#include "SimFixture.h"

extern char** environ;

namespace zorva::sim::testing {
namespace {

std::string SimProgram()
{
    const char* bin = std::getenv("ZORVA_BIN_DIR");
    return std::string(bin ? bin : ".") + "/zorva-sim";
}

// A running zorva-sim with its standard output on a pipe.
struct Process {
    pid_t pid = -1;
    int out = -1; // read end of its standard output
    int in = -1;  // write end of its standard input, when a pipe was asked for

    ~Process()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) {
            close(out);
        }
        if (in >= 0) {
            close(in);
        }
    }

    // Exit status, or -1 when it has not ended within the timeout.
    int Wait(std::chrono::milliseconds timeout)
    {
        const auto deadline = SteadyClock::now() + timeout;
        while (SteadyClock::now() < deadline) {
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    std::string ReadAll(std::chrono::milliseconds timeout)
    {
        std::string text;
        const auto deadline = SteadyClock::now() + timeout;
        while (SteadyClock::now() < deadline) {
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t n = read(out, chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            text.append(chunk, static_cast<std::size_t>(n));
        }
        return text;
    }

    std::string ReadLine(std::chrono::milliseconds timeout)
    {
        std::string line;
        const auto deadline = SteadyClock::now() + timeout;
        while (SteadyClock::now() < deadline) {
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char c = 0;
            if (read(out, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return line;
            }
            line.push_back(c);
        }
        return line;
    }
};

std::unique_ptr<Process> Spawn(const std::vector<std::string>& args, bool stdinPipe)
{
    auto process = std::make_unique<Process>();
    int outPipe[2];
    int inPipe[2] = {-1, -1};
    if (pipe2(outPipe, O_CLOEXEC) != 0 || (stdinPipe && pipe2(inPipe, O_CLOEXEC) != 0)) {
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinPipe) {
        posix_spawn_file_actions_adddup2(&actions, inPipe[0], STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    std::vector<std::string> all{SimProgram()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const int rc =
        posix_spawn(&process->pid, all[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    process->out = outPipe[0];
    if (stdinPipe) {
        close(inPipe[0]);
        process->in = inPipe[1];
    }
    if (rc != 0) {
        process->pid = -1;
        return nullptr;
    }
    return process;
}

class SimProgram : public SimFixture {};

TEST_F(SimProgram, HelpExplainsOptionsCommandsAndTrace)
{
    auto process = Spawn({"--help"}, false);
    ASSERT_TRUE(process);
    const std::string help = process->ReadAll(5000ms);
    EXPECT_EQ(process->Wait(5000ms), 0);
    for (const char* word :
         {"--link",          "--config",       "--firmware",    "--cameras",      "--inputs",
          "--reset-seconds", "--pictures",     "--event-every", "--split",        "--garbage",
          "--corrupt",       "--drop",         "--delay",       "--baud",         "--script",
          "--trace",         "--reject-write", "event CODE",    "error CODE",     "fmwdate",
          "silent on|off",   "unplug SECONDS", "quit",          "RX <hex bytes>", "TX <hex bytes>",
          "CLOCK_MONOTONIC"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

TEST_F(SimProgram, BadCommandLineFails)
{
    auto process = Spawn({"--baud", "fast"}, false);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->Wait(5000ms), 2);
}

TEST_F(SimProgram, RunsOnAfterStdinEndsFollowsItsScriptAndStopsOnSigterm)
{
    const std::string script = dir + "/script.txt";
    std::ofstream(script) << "# set-up\nfirmware 1\nwait 0.1\ninputs 5A\n";
    // A configuration file: the default record with another identifier, 4096 bytes long.
    std::string config(4096, '\0');
    config[2] = 0x0F;
    config[21] = 'Q';
    std::ofstream(dir + "/module.zrd", std::ios::binary) << config;

    auto process = Spawn(
        {"--link", link, "--trace", tracePath, "--script", script, "--config", dir + "/module.zrd"},
        false);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->ReadLine(5000ms), link);
    Connect();
    std::optional<Bytes> status;
    const auto deadline = SteadyClock::now() + 5s;
    do {
        status = client->Ask(StanFrame());
        ASSERT_TRUE(status.has_value());
    } while (((*status)[4 + 7] != 1 || (*status)[4 + 17] != 0x5A) && SteadyClock::now() < deadline);
    EXPECT_EQ((*status)[4 + 7], 1);
    EXPECT_EQ((*status)[4 + 17], 0x5A);
    const auto dane = client->Ask(DaneFrame());
    ASSERT_TRUE(dane.has_value());
    EXPECT_EQ((*dane)[4 + 2], 0x0F);
    EXPECT_EQ((*dane)[4 + 21], 'Q');

    const auto rx = WaitTrace("RX", 2);
    ASSERT_GE(rx.size(), 2u);
    const std::regex format(R"(^\d+\.\d{6} RX FF FF 02 03 03$)");
    EXPECT_TRUE(std::regex_match(rx.front(), format)) << rx.front();
    const auto tx = WaitTrace("TX", 1);
    ASSERT_FALSE(tx.empty());
    EXPECT_TRUE(
        std::regex_match(tx.front(), std::regex(R"(^\d+\.\d{6} TX FF FF 14 03( [0-9A-F]{2})+$)")))
        << tx.front();

    kill(process->pid, SIGTERM);
    EXPECT_EQ(process->Wait(5000ms), 0);
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0); // the link is removed on the way out
}

TEST_F(SimProgram, QuitOnStandardInput)
{
    auto process = Spawn({"--link", link}, true);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->ReadLine(5000ms), link);
    Connect();
    ASSERT_TRUE(client->Ask(StanFrame()).has_value());
    const std::string commands = "bogus command\nevent 02\n";
    ASSERT_EQ(write(process->in, commands.data(), commands.size()),
              static_cast<ssize_t>(commands.size()));
    const auto event = client->ReadFrame(3000ms);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(*event, (Bytes{0xFF, 0xFF, 0x03, 0x09, 0x02, 0x0C}));
    ASSERT_EQ(write(process->in, "quit\n", 5), 5);
    EXPECT_EQ(process->Wait(5000ms), 0);
}

TEST_F(SimProgram, MissingConfigurationOrPicturesFailAtStart)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--link", link, "--config", dir + "/none.zrd"},
             {"--link", link, "--pictures", dir + "/no-such-folder"}}) {
        auto process = Spawn(args, false);
        ASSERT_TRUE(process);
        EXPECT_EQ(process->Wait(5000ms), 1) << args[3];
    }
    // A configuration file shorter than a record is refused too.
    std::ofstream(dir + "/short.zrd", std::ios::binary) << std::string(100, 'x');
    auto process = Spawn({"--link", link, "--config", dir + "/short.zrd"}, false);
    ASSERT_TRUE(process);
    EXPECT_EQ(process->Wait(5000ms), 1);
}

} // namespace
} // namespace zorva::sim::testing
