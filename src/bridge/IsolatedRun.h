#pragma once

#include <functional>
#include <optional>
#include <string>

// Runs a piece of work whose library may misbehave on hostile input (freexl) in a child
// process, so that a crash or a wild write there cannot take the program and its unsaved
// changes with it. The work writes its result into a string that comes back through a pipe.
// Where processes cannot be forked (Windows) the work runs in the calling process.
class IsolatedRun {
  public:
    static constexpr size_t kMaxOutput = size_t{1} << 30;
    // A legacy workbook that takes longer than this to read is given up.
    static constexpr int kTimeLimitSeconds = 120;

    // The work's output when it returned true and its process ended normally; nothing when
    // it failed, crashed, ran out of time or wrote more than kMaxOutput.
    static std::optional<std::string> Run(const std::function<bool(std::string&)>& work);
};
