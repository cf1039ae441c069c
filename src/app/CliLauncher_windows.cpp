// vantoria-cli.exe: vantoria.exe for a terminal. vantoria.exe is a GUI program, which cmd.exe
// and PowerShell start without waiting for it; this console program runs it beside itself with
// the same arguments and standard handles, waits, and ends with its exit code, so that
// "vantoria-cli --verify FOLDER" prints and can be tested in a script.
#include <windows.h>

#include <string>

namespace {

// The command line after the program's own name, as CommandLineToArgvW splits it.
const wchar_t* Arguments(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    return line;
}

}  // namespace

int main() {
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (n == 0) return 2;
        if (n < self.size()) {
            self.resize(n);
            break;
        }
        self.resize(self.size() * 2);
    }
    const std::wstring program = self.substr(0, self.find_last_of(L"\\/") + 1) + L"vantoria.exe";
    std::wstring command = L"\"" + program + L"\"" + Arguments(GetCommandLineW());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &child)) {
        const char message[] = "vantoria-cli: cannot start vantoria.exe\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, sizeof message - 1, &written, nullptr);
        return 2;
    }
    // Ctrl+C is the program's to answer; this process only waits for it.
    SetConsoleCtrlHandler(nullptr, TRUE);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return static_cast<int>(status);
}
