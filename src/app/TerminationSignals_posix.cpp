#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include "app/TerminationSignals.h"

namespace {
int g_pipe[2] = {-1, -1};

void OnSignal(int number) {
    const char byte = static_cast<char>(number);
    // write() is async-signal-safe; a full pipe already holds a pending request.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
}
}  // namespace

// The signal handler only writes one byte to a socket pair; the notifier reads it in the
// event loop, where anything may run.
struct TerminationSignals::Watch {
    QSocketNotifier* notifier = nullptr;
};

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), watch_(std::make_unique<Watch>()) {
    if (g_pipe[0] >= 0) return;  // one watcher per process
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return;
    watch_->notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(watch_->notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        int last = 0;
        while (::read(g_pipe[1], &byte, 1) == 1) last = static_cast<unsigned char>(byte);
        if (last != 0) emit Received(last);
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (!watch_->notifier) return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}
