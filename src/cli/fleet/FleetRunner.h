// Runs the fleet's modules, each as a sequence of zorva-cli commands, at most `jobs` modules at
// once. A command runs on a thread of this process, as zorva-cli would run it (starting a
// program for each would cost more than the command's own work), or as a zorva-cli child when
// it asks for one. Ctrl+C: the first starts nothing new and stops every command but one that
// writes (it is let finish its write and read-back); the second stops those too; a third ends
// every child at once.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zorva::cli {

struct ChildStep {
    QStringList args;        // zorva-cli's arguments, global options included
    bool writes = false;     // a write: let finish on the first Ctrl+C
    bool ownProcess = false; // run as a zorva-cli of its own
};

struct ChildResult {
    int exit = -1;        // -1: it could not start, or did not end by itself
    QString out, err;     // what it said on standard output and error
    bool stopped = false; // the fleet asked it to stop
    QDateTime outputAt;   // when its standard output had its first bytes
};

// One module's work.
class FleetJob {
public:
    virtual ~FleetJob() = default;
    virtual ChildStep First() = 0;
    // The latest step's result: the next step, or nothing when the module is done. Once the
    // fleet is interrupted `mayGoOn` is false and the module is done.
    virtual std::optional<ChildStep> After(const ChildResult& result, bool mayGoOn) = 0;
};

// Counts an interruption (SIGINT, SIGTERM); safe in a signal handler.
void NoteFleetInterrupt();

class FleetRunner {
public:
    struct Events {
        std::function<void(std::size_t job, const ChildStep&)> stepStarted;
        std::function<void(std::size_t job)> done;
        // The first or second interruption, with the jobs whose write goes on (first) or is
        // being stopped (second).
        std::function<void(int count, const std::vector<std::size_t>& writing)> interrupted;
    };

    // `inProcess` runs a command on the calling thread and gives its exit code; `program` is
    // zorva-cli, for the commands that run as a program of their own.
    using InProcess = std::function<int(const QStringList& args)>;
    FleetRunner(QString program, InProcess inProcess, int jobs, Events events);

    // Runs the jobs; false when it was interrupted. `started[i]` tells whether job i began.
    bool Run(const std::vector<std::unique_ptr<FleetJob>>& jobs, std::vector<bool>& started);

private:
    QString program_;
    InProcess inProcess_;
    std::size_t jobs_;
    Events events_;
};

} // namespace zorva::cli
