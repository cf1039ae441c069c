// celvex-worker.exe: the child process of IsolatedRun on Windows, which has no fork. It runs
// one of the bridge's works in a process of its own, so that freexl crashing on a damaged
// workbook ends this process and not the program.
extern "C" __declspec(dllimport) int CelvexRunIsolated(const char* taskName);

int main(int argc, char** argv) {
    return argc == 2 ? CelvexRunIsolated(argv[1]) : 2;
}
