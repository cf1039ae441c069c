#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>

#include "IsolatedRun.h"

// The child's side, called by celvex-worker.exe: the task's name on its command line, and on its
// standard input the file name's length (4 bytes), the name in UTF-8 and the file's bytes. The
// output goes to its standard output; its exit status is 0 when the work succeeded.
extern "C" __declspec(dllexport) int CelvexRunIsolated(const char* taskName);

namespace {

bool WriteAll(HANDLE to, const char* data, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(size < (1u << 20) ? size : (1u << 20));
        if (!WriteFile(to, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

// Reads to the end of the pipe, or until more than limit bytes came (then false).
bool ReadAll(HANDLE from, std::string& out, size_t limit) {
    char buffer[1 << 16];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(from, buffer, sizeof buffer, &n, nullptr) || n == 0) return true;
        if (out.size() + n > limit) return false;
        out.append(buffer, n);
    }
}

// The folder of this library, where celvex-worker.exe is installed beside it.
std::wstring WorkerProgram() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&CelvexRunIsolated), &self))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"celvex-worker.exe";
}

class Handle {
  public:
    Handle() = default;
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* Out() { return &handle_; }
    HANDLE get() const { return handle_; }
    void Close() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = nullptr;
    }

  private:
    HANDLE handle_ = nullptr;
};

}  // namespace

std::optional<std::string> IsolatedRun::Run(const Task& task, const std::filesystem::path& path,
                                            std::string_view bytes) {
    const std::wstring program = WorkerProgram();
    if (program.empty() || GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;

    // The child inherits one end of each pipe; the other ends stay ours alone.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle inRead, inWrite, outRead, outWrite;
    if (!CreatePipe(inRead.Out(), inWrite.Out(), &inherit, 0) ||
        !CreatePipe(outRead.Out(), outWrite.Out(), &inherit, 0) ||
        !SetHandleInformation(inWrite.get(), HANDLE_FLAG_INHERIT, 0) ||
        !SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0))
        return std::nullopt;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = outWrite.get();  // the worker writes nothing there
    std::wstring commandLine = L"\"" + program + L"\" ";
    for (const char* c = task.name; *c; ++c) commandLine += static_cast<wchar_t>(*c);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child))
        return std::nullopt;
    CloseHandle(child.hThread);
    inRead.Close();
    outWrite.Close();

    const std::u8string name = path.u8string();
    const auto nameSize = static_cast<uint32_t>(name.size());
    // Both directions at once: a child that stops reading or writing is only ended by the clock.
    std::thread writer([&] {
        WriteAll(inWrite.get(), reinterpret_cast<const char*>(&nameSize), sizeof nameSize) &&
            WriteAll(inWrite.get(), reinterpret_cast<const char*>(name.data()), name.size()) &&
            WriteAll(inWrite.get(), bytes.data(), bytes.size());
        inWrite.Close();
    });
    std::string result;
    std::atomic<bool> tooLarge{false};
    std::thread reader([&] {
        if (!ReadAll(outRead.get(), result, kMaxOutput)) {
            tooLarge = true;
            TerminateProcess(child.hProcess, 1);
        }
    });
    const bool inTime =
        WaitForSingleObject(child.hProcess, DWORD{kTimeLimitSeconds} * 1000) == WAIT_OBJECT_0;
    if (!inTime) TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, INFINITE);
    // The child's ends of the pipes closed with it, so both threads are finishing.
    writer.join();
    reader.join();
    DWORD status = 1;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hProcess);
    if (!inTime || tooLarge || status != 0) return std::nullopt;
    return result;
}

namespace {
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) {
    // No error box, no debugger: the parent only needs to see that the child failed.
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

int CelvexRunIsolated(const char* taskName) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    const IsolatedRun::Task* task = taskName ? IsolatedRun::Find(taskName) : nullptr;
    if (!task) return 2;
    std::string input;
    if (!ReadAll(GetStdHandle(STD_INPUT_HANDLE), input, size_t{1} << 31)) return 2;
    uint32_t nameSize = 0;
    if (input.size() < sizeof nameSize) return 2;
    std::memcpy(&nameSize, input.data(), sizeof nameSize);
    if (input.size() - sizeof nameSize < nameSize) return 2;
    const std::string_view rest = std::string_view(input).substr(sizeof nameSize);
    const std::u8string name(reinterpret_cast<const char8_t*>(rest.data()), nameSize);
    bool ok = false;
    std::string out;
    try {
        ok = task->work(std::filesystem::path(name), rest.substr(nameSize), out) &&
             out.size() <= IsolatedRun::kMaxOutput;
    } catch (...) {
        ok = false;
    }
    return ok && WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), out.size()) ? 0 : 1;
}
