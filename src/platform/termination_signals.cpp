#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};
int gPipe[2] = {-1, -1};

void WriteToPipe(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // Nothing else is safe in a handler; a full pipe already holds a signal to act on.
    [[maybe_unused]] const ssize_t written = write(gPipe[1], &number, 1);
    errno = saved;
}

void SetHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}
} // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Arrived);
    for (int signal : kSignals)
        SetHandler(signal, WriteToPipe);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    for (int signal : kSignals)
        SetHandler(signal, SIG_DFL);
    close(gPipe[0]);
    close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void TerminationSignals::Arrived() {
    unsigned char number = 0;
    while (read(gPipe[0], &number, 1) == 1) {
        if (handling_) {
            SetHandler(number, SIG_DFL);
            raise(number);
            continue;
        }
        handling_ = true;
        onSignal_(number);
    }
}
