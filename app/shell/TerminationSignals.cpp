#include "TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zentrivo {

namespace {

// The handler may only touch async-signal-safe state: the pipe's write end.
volatile std::sig_atomic_t writeFd = -1;

extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (writeFd >= 0) [[maybe_unused]]
        auto ignored = ::write(writeFd, &byte, 1);
    errno = savedErrno;
}

constexpr int handledSignals[] = {SIGTERM, SIGINT};

} // namespace

TerminationSignals::TerminationSignals() {
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    writeFd = fds[1];
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
    notifier = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
}

TerminationSignals::~TerminationSignals() {
    if (fds[0] >= 0) {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        for (int signal : handledSignals)
            ::sigaction(signal, &action, nullptr);
        writeFd = -1;
        notifier.reset();
        ::close(fds[0]);
        ::close(fds[1]);
    }
}

void TerminationSignals::readPipe() {
    unsigned char bytes[16];
    ssize_t count;
    while ((count = ::read(fds[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT received(bytes[i]);
    }
}

} // namespace zentrivo
