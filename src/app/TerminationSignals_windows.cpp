#include <windows.h>

#include <QMetaObject>

#include <mutex>

#include "app/TerminationSignals.h"

namespace {

// The one watcher of the process; the console handler runs on a thread of its own.
std::mutex g_mutex;
TerminationSignals* g_watcher = nullptr;
HANDLE g_finished = nullptr;  // set once the watcher is gone, that is once main has saved

const wchar_t kWindowClass[] = L"VantoriaSessionWatch";
// After a console's close, a logout or a shutdown Windows gives a console handler 5 seconds.
constexpr DWORD kCloseWaitMs = 4500;

void Post(int number) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_watcher) return;
    TerminationSignals* watcher = g_watcher;
    QMetaObject::invokeMethod(
        watcher, [watcher, number] { emit watcher->Received(number); }, Qt::QueuedConnection);
}

BOOL WINAPI OnConsoleEvent(DWORD type) {
    switch (type) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            Post(static_cast<int>(type));
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The process ends when this returns: wait for the saves.
            Post(static_cast<int>(type));
            WaitForSingleObject(g_finished, kCloseWaitMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

// A hidden top-level window of our own receives the session's end whatever Qt platform runs
// (message-only windows are not told of it).
struct TerminationSignals::Watch {
    HWND window = nullptr;
};

namespace {
LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* watcher = reinterpret_cast<TerminationSignals*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (watcher && message == WM_QUERYENDSESSION) {
        // Yes, the session may end; the dialogs close once the event loop runs again.
        Post(WM_QUERYENDSESSION);
        return TRUE;
    }
    if (watcher && message == WM_ENDSESSION) {
        if (wParam) emit watcher->EndingNow();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), watch_(std::make_unique<Watch>()) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_watcher) return;  // one watcher per process
        g_watcher = this;
        if (!g_finished) g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ResetEvent(g_finished);
    }
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = SessionWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);  // fails harmlessly when a previous watcher registered it
    watch_->window = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     instance, nullptr);
    if (watch_->window)
        SetWindowLongPtrW(watch_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TerminationSignals::~TerminationSignals() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_watcher != this) return;
        g_watcher = nullptr;
    }
    if (watch_->window) DestroyWindow(watch_->window);
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    SetEvent(g_finished);
}
