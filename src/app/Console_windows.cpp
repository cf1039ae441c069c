#include <windows.h>

#include "app/Console.h"

namespace {
HANDLE g_out = nullptr;

bool Usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}
}  // namespace

namespace Console {

void Attach() {
    // Redirected to a file or a pipe, the handle is there to write to.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (Usable(out) && GetFileType(out) != FILE_TYPE_CHAR) {
        g_out = out;
        return;
    }
    // A terminal (started from it, or handed down by vantoria-cli.exe): its console is the
    // parent's, which this program may write to once it is attached to it.
    if (AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED) {
        const HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (Usable(console)) {
            g_out = console;
            return;
        }
    }
    if (Usable(out)) g_out = out;  // started from Explorer: out is nothing and nothing prints
}

void Write(const QString& text) {
    const HANDLE out = g_out ? g_out : GetStdHandle(STD_OUTPUT_HANDLE);
    if (!Usable(out)) return;
    DWORD written = 0;
    DWORD mode = 0;
    // A console shows UTF-16 whatever its code page; files and pipes get UTF-8 as on Linux.
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.utf16(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    WriteFile(out, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace Console
