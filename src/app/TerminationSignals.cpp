#include "app/TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zorva {

namespace {

// The self-pipe: the handler writes the signal number to [1], the event loop reads [0].
// A plain int array is all a signal handler may touch.
int gPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // write() is async-signal-safe; a full pipe drops the byte, and earlier bytes already
    // carry the request.
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
    errno = savedErrno;
}

void SetHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, gPipe) != 0) {
        gPipe[0] = gPipe[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    SetHandler(SIGTERM, OnTerminationSignal);
    SetHandler(SIGINT, OnTerminationSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (notifier_ == nullptr) {
        return;
    }
    SetHandler(SIGTERM, SIG_DFL);
    SetHandler(SIGINT, SIG_DFL);
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void TerminationSignals::readPending()
{
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = ::read(gPipe[0], bytes, sizeof bytes);
        if (n <= 0) {
            break;
        }
        for (ssize_t i = 0; i < n; ++i) {
            emit terminationRequested(bytes[i]);
        }
    }
}

} // namespace zorva
