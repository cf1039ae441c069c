#pragma once

#include <QObject>

#include <memory>

class QWidget;

// Turns the system's requests to end the program into Qt signals delivered by the event loop,
// so that it ends like the close box, with both files written. On POSIX these are SIGTERM,
// SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C); on Windows the console's Ctrl+C,
// Ctrl+Break and close, and the end of the session (WM_QUERYENDSESSION, WM_ENDSESSION).
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Closes every open dialog, innermost first (a running show as Esc would), then the given
    // window, so its modal run returns and the program can save and exit.
    static void CloseAllDialogs(QWidget* mainWindow);

  signals:
    // The program is asked to end: the signal's number, or on Windows the console event or
    // WM_QUERYENDSESSION.
    void Received(int number);
    // Windows ends the session as soon as WM_ENDSESSION is answered: whatever must reach the
    // disk is written inside this signal, before the event loop runs again. Never on POSIX,
    // where the process lives on until it exits by itself.
    void EndingNow();

  private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};
