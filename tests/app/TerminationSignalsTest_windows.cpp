#include <gtest/gtest.h>
#include <windows.h>

#include <QDialog>
#include <QTimer>

#include <cwchar>
#include <vector>

#include "app/TerminationSignals.h"

namespace {

// The top-level windows of this thread: the ones Windows tells of the session's end. The
// system's IME window, which comes and goes with a thread's first window, is left out.
std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            wchar_t name[8] = {};
            if (GetClassNameW(window, name, 8) && std::wcscmp(name, L"IME") == 0) return TRUE;
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// As Windows does at a logout: every top-level window is asked, then told. True when all
// allowed it.
bool EndSession(UINT message, WPARAM ending) {
    bool allowed = true;
    for (HWND window : TopLevelWindows())
        allowed = SendMessageW(window, message, ending, ENDSESSION_LOGOFF) != 0 && allowed;
    return allowed;
}

}  // namespace

// A logout asks first: the dialogs close innermost first, so that the program saves and exits
// like its close box. Then it tells, and the files must be written before that answer, as
// Windows ends the process right after it.
TEST(TerminationSignals, TheSessionsEndClosesEveryDialogAndSavesBeforeItIsAnswered) {
    TerminationSignals signals_;
    QDialog outer;
    int received = 0;
    int saved = 0;
    QObject::connect(&signals_, &TerminationSignals::Received, [&](int number) {
        received = number;
        TerminationSignals::CloseAllDialogs(&outer);
    });
    QObject::connect(&signals_, &TerminationSignals::EndingNow, [&] { ++saved; });
    bool innerEnded = false;
    bool allowed = false;
    QTimer::singleShot(0, [&] {
        QDialog inner(&outer);
        QTimer::singleShot(0, [&] { allowed = EndSession(WM_QUERYENDSESSION, 0); });
        inner.exec();
        innerEnded = true;
    });
    EXPECT_EQ(outer.exec(), QDialog::Rejected);
    EXPECT_TRUE(allowed);
    EXPECT_TRUE(innerEnded);
    EXPECT_EQ(received, WM_QUERYENDSESSION);
    EXPECT_EQ(saved, 0);

    // A cancelled end (another program refused) saves nothing; a real one saves at once.
    EndSession(WM_ENDSESSION, FALSE);
    EXPECT_EQ(saved, 0);
    EndSession(WM_ENDSESSION, TRUE);
    EXPECT_EQ(saved, 1);
}

// Ctrl+C in the console the program runs in ends it like the close box. ctest runs this once
// more inside a console of its own (the console-events test), where it must not be skipped.
TEST(TerminationSignals, CtrlCOnItsConsoleClosesTheDialogs) {
    TerminationSignals signals_;
    QDialog outer;
    int received = -1;
    QObject::connect(&signals_, &TerminationSignals::Received, [&](int number) {
        received = number;
        TerminationSignals::CloseAllDialogs(&outer);
    });
    bool sent = false;
    QTimer::singleShot(0, [&] {
        sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
        if (!sent) outer.accept();
    });
    const int result = outer.exec();
    if (!sent) {
        ASSERT_FALSE(qEnvironmentVariableIsSet("VANTORIA_IN_CONSOLE")) << "Ctrl+C not sent";
        GTEST_SKIP() << "no console to send Ctrl+C to (run without a terminal)";
    }
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(received, int(CTRL_C_EVENT));
}

// Once it is gone, no window of it is left to call it back.
TEST(TerminationSignals, NoWindowIsLeftBehind) {
    const size_t before = TopLevelWindows().size();
    {
        TerminationSignals signals_;
        EXPECT_EQ(TopLevelWindows().size(), before + 1);
    }
    EXPECT_EQ(TopLevelWindows().size(), before);
}
