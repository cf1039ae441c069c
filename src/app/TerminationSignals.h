#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C) into a Qt signal delivered
// by the event loop. The handler itself only writes one byte to a pipe, so nothing unsafe
// runs inside it; the program then ends like the close box, with both files written.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Closes every open dialog, innermost first (a running show as Esc would), then the given
    // window, so its modal run returns and the program can save and exit.
    static void CloseAllDialogs(QWidget* mainWindow);

  signals:
    void Received(int number);

  private:
    void Drain();

    QSocketNotifier* notifier_ = nullptr;
};
