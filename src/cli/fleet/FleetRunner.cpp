#include "cli/fleet/FleetRunner.h"

#include <atomic>
#include <thread>

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/fleet/FleetChild.h"

namespace zorva::cli {

namespace {

std::atomic<int> gInterrupts{0};
constexpr int kCheckMs = 20;

// One command under way: a child, or a thread of this process.
struct Running {
    std::size_t job = 0;
    ChildStep step;
    ChildResult result;
    std::unique_ptr<QProcess> process;
    std::thread thread;
    std::atomic<bool> stop{false}; // the thread's command is asked to stop
    CapturedOutput said;           // what the thread's command printed
    ~Running()
    {
        if (thread.joinable()) {
            thread.join();
        }
    }
    void AskToStop()
    {
        if (process) {
            zorva::cli::AskToStop(*process);
        } else {
            stop = true;
        }
    }
};

} // namespace

void NoteFleetInterrupt()
{
    ++gInterrupts;
}

FleetRunner::FleetRunner(QString program, InProcess inProcess, int jobs, Events events)
    : program_(std::move(program)), inProcess_(std::move(inProcess)),
      jobs_(static_cast<std::size_t>(std::max(jobs, 1))), events_(std::move(events))
{
}

bool FleetRunner::Run(const std::vector<std::unique_ptr<FleetJob>>& jobs,
                      std::vector<bool>& started)
{
    started.assign(jobs.size(), false);
    QEventLoop loop;
    std::vector<std::unique_ptr<Running>> running;
    // A command's record goes only once the loop is left: it is finished inside its own signal.
    std::vector<std::unique_ptr<Running>> ended;
    std::size_t next = 0;
    int handled = 0; // interruptions acted on

    std::function<void(std::size_t, ChildStep)> start;
    const auto finish = [&](Running* r) {
        if (r->process) {
            r->result.out += QString::fromUtf8(r->process->readAllStandardOutput());
            r->result.err += QString::fromUtf8(r->process->readAllStandardError());
        } else {
            r->thread.join();
            r->result.out = r->said.out;
            r->result.err = r->said.err;
            r->result.outputAt = r->said.outAt;
        }
        const std::size_t job = r->job;
        const ChildResult result = r->result;
        for (auto it = running.begin(); it != running.end(); ++it) {
            if (it->get() == r) {
                ended.push_back(std::move(*it));
                running.erase(it);
                break;
            }
        }
        // A Ctrl+C not acted on yet counts already: no write starts after it.
        const bool mayGoOn = handled == 0 && gInterrupts.load() == 0;
        if (std::optional<ChildStep> step = jobs[job]->After(result, mayGoOn)) {
            start(job, std::move(*step));
        } else if (events_.done) {
            events_.done(job);
        }
    };
    const auto fill = [&] {
        while (handled == 0 && gInterrupts.load() == 0 && running.size() < jobs_ &&
               next < jobs.size()) {
            started[next] = true;
            start(next, jobs[next]->First());
            ++next;
        }
        if (running.empty() && (handled > 0 || next == jobs.size())) {
            loop.quit();
        }
    };
    const auto startThread = [&](Running* r) {
        // A plain thread, which Qt adopts: its end is a join that ThreadSanitizer sees.
        r->thread = std::thread([this, r, &loop, &finish, &fill] {
            {
                const QEventLoop dispatcher; // gives the thread the event dispatcher of its timers
                const CaptureOutput capture(r->said);
                const StopWaitsWhen stop(r->stop);
                r->result.exit = inProcess_(r->step.args);
            }
            QMetaObject::invokeMethod(
                &loop,
                [r, &finish, &fill] {
                    finish(r);
                    fill();
                },
                Qt::QueuedConnection);
        });
    };
    const auto startProcess = [&](Running* r) {
        r->process = std::make_unique<QProcess>();
        QProcess& process = *r->process;
        process.setProgram(program_);
        process.setArguments(r->step.args);
        process.setStandardInputFile(QProcess::nullDevice());
        KeepFromTerminalInterrupts(process);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [r] {
            if (!r->result.outputAt.isValid()) {
                r->result.outputAt = QDateTime::currentDateTime();
            }
        });
        QObject::connect(&process, &QProcess::finished, &loop,
                         [r, &finish, &fill](int code, QProcess::ExitStatus status) {
                             r->result.exit = status == QProcess::NormalExit ? code : -1;
                             finish(r);
                             fill();
                         });
        QObject::connect(&process, &QProcess::errorOccurred, &loop,
                         [r, &finish, &fill](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) {
                                 r->result.exit = -1;
                                 r->result.err = r->process->errorString();
                                 finish(r);
                                 fill();
                             }
                         });
        process.start();
    };
    start = [&](std::size_t job, ChildStep step) {
        auto r = std::make_unique<Running>();
        r->job = job;
        r->step = std::move(step);
        Running* raw = r.get();
        running.push_back(std::move(r));
        if (events_.stepStarted) {
            events_.stepStarted(job, raw->step);
        }
        if (raw->step.ownProcess || !inProcess_) {
            startProcess(raw);
        } else {
            startThread(raw);
        }
    };

    // Ctrl+C is counted by the signal handler and acted on here, in the loop.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        const int count = gInterrupts.load();
        if (count == handled) {
            return;
        }
        for (int stage = handled + 1; stage <= count && stage <= 3; ++stage) {
            std::vector<std::size_t> writing;
            for (const auto& r : running) {
                if (stage >= 3 && r->process) {
                    r->process->kill();
                } else if (!r->result.stopped && (stage == 2 || !r->step.writes)) {
                    r->result.stopped = true;
                    r->AskToStop();
                }
                if (r->step.writes) {
                    writing.push_back(r->job);
                }
            }
            if (stage < 3 && events_.interrupted) {
                events_.interrupted(stage, writing);
            }
        }
        handled = count;
        fill();
    });
    check.start(kCheckMs);
    // Started from within the loop, so that every quit comes after the loop began.
    QTimer::singleShot(0, &loop, fill);
    loop.exec();
    return gInterrupts.load() == 0;
}

} // namespace zorva::cli
