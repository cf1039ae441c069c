#pragma once

#include <QCoreApplication>
#include <QEvent>

class QObject;

// Notices the pages send to the main window. Each is a QEvent type numbered like the private
// window messages of the design: QEvent::User plays the part of WM_USER.
enum NoticeNumber {
    WM_SELECT_TAB = 1,
    WM_START_DRAW = 2,
    WM_REFRESH_WINNERS = 3,
    WM_PRIZES_CHANGED = 4,
    WM_DESIGN_CHANGED = 5,  // design toolbox to design window
    WM_CANDIDATES_CHANGED = 7,
    WM_REHEARSE = 8,     // the rehearsal button of the control bar
    WM_END_SHOW = 9,     // "结束本场" on the winner page
    WM_SHOW_GUIDE = 10,  // "使用说明" on the control bar, or F1
};

class NoticeEvent : public QEvent {
  public:
    explicit NoticeEvent(int number, int argument = 0)
        : QEvent(static_cast<QEvent::Type>(QEvent::User + number)),
          number_(number),
          argument_(argument) {}
    int Number() const { return number_; }
    int Argument() const { return argument_; }

    // The notice number of an event, or 0 when it is not a notice.
    static int NumberOf(const QEvent* e) {
        const int n = int(e->type()) - int(QEvent::User);
        return (n >= 1 && n <= 16) ? n : 0;
    }

  private:
    int number_;
    int argument_;
};

// Delivered synchronously, like SendMessage.
inline void SendNotice(QObject* target, int number, int argument = 0) {
    if (!target) return;
    NoticeEvent e(number, argument);
    QCoreApplication::sendEvent(target, &e);
}
