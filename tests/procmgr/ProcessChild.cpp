// A process for the process-manager tests to list, measure and end.
//   (no argument)  waits until it is ended
//   list           enumerates the processes as the program does and reports through its
//                  exit code: 1 the enumeration ran, 2 it listed this process with this
//                  executable's path, 4 both lists are empty (Wine can make it see the 9x
//                  line or miss PSAPI.DLL)
#include <windows.h>

#include <cstring>
#include <string>

#include "procmgr/ProcessList.h"

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "list") != 0) {
        Sleep(INFINITE);
        return 0;
    }
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ProcessList list;
    int code = list.Refresh() ? 1 : 0;
    for (size_t k = 0; k < list.ProcessIds.size(); ++k)
        if (list.ProcessIds[k] == GetCurrentProcessId() && lstrcmpiA(list.ImagePaths[k].c_str(), self) == 0) code |= 2;
    if (list.ProcessIds.empty() && list.ImagePaths.empty()) code |= 4;
    return code;
}
