#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Runs a piece of work whose library may misbehave on hostile input (freexl) in a child
// process, so that a crash or a wild write there cannot take the program and its unsaved
// changes with it. The work writes its result into a string that comes back through a pipe.
//
// On POSIX the child is a fork, which has the caller's bytes as they are. Windows has no fork:
// there the child is celvex-worker.exe beside this library, which loads it and runs the work
// by its task's name on the file name and bytes it reads from its standard input.
class IsolatedRun {
  public:
    static constexpr size_t kMaxOutput = size_t{1} << 30;
    // A legacy workbook that takes longer than this to read is given up.
    static constexpr int kTimeLimitSeconds = 120;

    // A piece of work on one file: its name and its bytes, as the caller read them.
    using Work = bool (*)(const std::filesystem::path& path, std::string_view bytes,
                          std::string& out);
    // A work under a name a fresh child process can find it by; defined as a static object
    // beside its work, which registers it.
    struct Task {
        Task(const char* name, Work work);
        const char* name;
        Work work;
    };

    // The work's output when it returned true and its process ended normally; nothing when
    // it failed, crashed, ran out of time or wrote more than kMaxOutput.
    static std::optional<std::string> Run(const Task& task, const std::filesystem::path& path,
                                          std::string_view bytes);

    // The registered task of that name, or null.
    static const Task* Find(std::string_view name);
};
