#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>

#include <csignal>

#include "app/TerminationSignals.h"

// SIGTERM (a logout) closes a dialog inside another like Esc and then the setup window, so
// the program goes on to save and exit.
TEST(TerminationSignals, ASignalClosesEveryDialogInnermostFirst) {
    TerminationSignals signals_;
    QDialog outer;
    int received = 0;
    QObject::connect(&signals_, &TerminationSignals::Received, [&](int number) {
        received = number;
        TerminationSignals::CloseAllDialogs(&outer);
    });
    bool innerEnded = false;
    QTimer::singleShot(0, [&] {
        QDialog inner(&outer);
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        inner.exec();
        innerEnded = true;
    });
    EXPECT_EQ(outer.exec(), QDialog::Rejected);
    EXPECT_TRUE(innerEnded);
    EXPECT_EQ(received, SIGTERM);
}
