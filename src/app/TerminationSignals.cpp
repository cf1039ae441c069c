#include "app/TerminationSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#if !defined(_WIN32)
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {
#if !defined(_WIN32)
int g_pipe[2] = {-1, -1};

void OnSignal(int number) {
    const char byte = static_cast<char>(number);
    // write() is async-signal-safe; a full pipe already holds a pending request.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
}
#endif
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
#if !defined(_WIN32)
    if (g_pipe[0] >= 0) return;  // one watcher per process
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return;
    notifier_ = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
#endif
}

TerminationSignals::~TerminationSignals() {
#if !defined(_WIN32)
    if (!notifier_) return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
#endif
}

void TerminationSignals::Drain() {
#if !defined(_WIN32)
    char byte = 0;
    int last = 0;
    while (::read(g_pipe[1], &byte, 1) == 1) last = static_cast<unsigned char>(byte);
    if (last != 0) emit Received(last);
#endif
}

void TerminationSignals::CloseAllDialogs(QWidget* mainWindow) {
    // A modal widget only leaves the stack once it is hidden; the guard covers one that
    // refuses to close.
    for (int guard = 0; guard < 64; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == mainWindow) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (modal->isVisible()) modal->hide();
    }
    if (auto* dialog = qobject_cast<QDialog*>(mainWindow)) dialog->reject();
}
