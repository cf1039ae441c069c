#include "IsolatedRun.h"

#include <vector>

// Run() is in IsolatedRun_posix.cpp and IsolatedRun_windows.cpp.

namespace {
std::vector<const IsolatedRun::Task*>& Tasks() {
    static std::vector<const IsolatedRun::Task*> tasks;
    return tasks;
}
}  // namespace

IsolatedRun::Task::Task(const char* taskName, Work taskWork) : name(taskName), work(taskWork) {
    Tasks().push_back(this);
}

const IsolatedRun::Task* IsolatedRun::Find(std::string_view name) {
    for (const Task* task : Tasks())
        if (name == task->name) return task;
    return nullptr;
}
