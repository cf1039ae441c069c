#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include <cerrno>
#include <csignal>

#include "IsolatedRun.h"

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<std::string> IsolatedRun::Run(const Task& task, const std::filesystem::path& path,
                                            std::string_view bytes) {
    int fds[2];
    if (pipe(fds) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        // The child only runs the work and leaves with _exit: no destructors, no atexit
        // handlers of the program run here. It sees the caller's bytes without a copy.
        close(fds[0]);
        bool ok = false;
        try {
            std::string out;
            ok = task.work(path, bytes, out) && out.size() <= kMaxOutput &&
                 WriteAll(fds[1], out.data(), out.size());
        } catch (...) {
            ok = false;
        }
        close(fds[1]);
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    std::string result;
    bool tooLarge = false;
    char buffer[1 << 16];
    // A reader caught in a loop must not hold the program forever.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kTimeLimitSeconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pfd{fds[0], POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&pfd, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            tooLarge = true;  // out of time: treated like an oversized answer
            kill(child, SIGKILL);
            break;
        }
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (result.size() + static_cast<size_t>(n) > kMaxOutput) {
            tooLarge = true;
            kill(child, SIGKILL);
            break;
        }
        result.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (tooLarge || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return result;
}
