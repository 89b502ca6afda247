#include "cli/fleet/FleetRunner.h"

#include <atomic>

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include "cli/fleet/FleetChild.h"

namespace zorva::cli {

namespace {

std::atomic<int> gInterrupts{0};
constexpr int kCheckMs = 20;

// One child under way.
struct Running {
    std::size_t job = 0;
    ChildStep step;
    ChildResult result;
    std::unique_ptr<QProcess> process;
};

} // namespace

void NoteFleetInterrupt()
{
    ++gInterrupts;
}

FleetRunner::FleetRunner(QString program, int jobs, Events events)
    : program_(std::move(program)), jobs_(static_cast<std::size_t>(std::max(jobs, 1))),
      events_(std::move(events))
{
}

bool FleetRunner::Run(const std::vector<std::unique_ptr<FleetJob>>& jobs,
                      std::vector<bool>& started)
{
    started.assign(jobs.size(), false);
    QEventLoop loop;
    std::vector<std::unique_ptr<Running>> running;
    // A child's object goes only once the loop is left: it is finished inside its own signal.
    std::vector<std::unique_ptr<QProcess>> ended;
    std::size_t next = 0;
    int handled = 0; // interruptions acted on

    std::function<void(std::size_t, ChildStep)> start;
    const auto finish = [&](Running* r) {
        r->result.out += QString::fromUtf8(r->process->readAllStandardOutput());
        r->result.err += QString::fromUtf8(r->process->readAllStandardError());
        const std::size_t job = r->job;
        const ChildResult result = r->result;
        for (auto it = running.begin(); it != running.end(); ++it) {
            if (it->get() == r) {
                ended.push_back(std::move((*it)->process));
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
    start = [&](std::size_t job, ChildStep step) {
        auto r = std::make_unique<Running>();
        r->job = job;
        r->step = std::move(step);
        r->process = std::make_unique<QProcess>();
        Running* raw = r.get();
        QProcess& process = *r->process;
        process.setProgram(program_);
        process.setArguments(raw->step.args);
        process.setStandardInputFile(QProcess::nullDevice());
        KeepFromTerminalInterrupts(process);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [raw] {
            if (!raw->result.outputAt.isValid()) {
                raw->result.outputAt = QDateTime::currentDateTime();
            }
        });
        QObject::connect(&process, &QProcess::finished, &loop,
                         [raw, &finish, &fill](int code, QProcess::ExitStatus status) {
                             raw->result.exit = status == QProcess::NormalExit ? code : -1;
                             finish(raw);
                             fill();
                         });
        QObject::connect(&process, &QProcess::errorOccurred, &loop,
                         [raw, &finish, &fill](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) {
                                 raw->result.exit = -1;
                                 raw->result.err = raw->process->errorString();
                                 finish(raw);
                                 fill();
                             }
                         });
        running.push_back(std::move(r));
        if (events_.stepStarted) {
            events_.stepStarted(job, raw->step);
        }
        process.start();
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
                if (stage >= 3) {
                    r->process->kill();
                } else if (!r->result.stopped && (stage == 2 || !r->step.writes)) {
                    r->result.stopped = true;
                    AskToStop(*r->process);
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
