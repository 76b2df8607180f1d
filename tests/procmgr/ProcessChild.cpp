// A process for the process-manager tests to list, measure and end.
//   (no argument)  waits until it is ended
//   kernel         keeps a processor busy mostly in kernel mode (page faults on fresh memory;
//                  a loop that yields would give its time away on a busy machine)
//   user           keeps a processor busy in user mode only
//   list           enumerates the processes as the program does and reports through its
//                  exit code: 1 the enumeration ran, 2 it listed this process with this
//                  executable's path, 4 both lists are empty (Wine can make it see the 9x
//                  line or miss PSAPI.DLL)
#include <windows.h>

#include <string>

#include "procmgr/ProcessList.h"

namespace {
int ListReport() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ProcessList list;
    int code = list.Refresh() ? 1 : 0;
    for (size_t k = 0; k < list.ProcessIds.size(); ++k)
        if (list.ProcessIds[k] == GetCurrentProcessId() && lstrcmpiA(list.ImagePaths[k].c_str(), self) == 0) code |= 2;
    if (list.ProcessIds.empty() && list.ImagePaths.empty()) code |= 4;
    return code;
}
}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "list") return ListReport();
    if (mode == "kernel") {
        const SIZE_T size = 8 << 20;
        for (;;) {
            auto* memory = static_cast<volatile char*>(VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE));
            if (!memory) continue;
            for (SIZE_T i = 0; i < size; i += 4096) memory[i] = 1;
            VirtualFree(const_cast<char*>(memory), 0, MEM_RELEASE);
        }
    }
    if (mode == "user") {
        volatile unsigned long long n = 0;
        for (;;) n = n * 3 + 1;
    }
    Sleep(INFINITE);
    return 0;
}
