#include "hwinfo/MemoryModules.h"

#include "hwinfo/WmiConnection.h"

namespace {
const char kModuleClass[] = "Win32_PhysicalMemory";
}

std::int32_t InstalledMemoryMB() {
    WmiConnection wmi;
    std::vector<std::string> capacities;
    if (!wmi.Connect() || !wmi.QueryProperty(kModuleClass, "Capacity", capacities)) return kModulesUnavailable;
    return InstalledMBOf(capacities);
}

bool ReadModuleLists(ModuleLists& lists, std::string* error) {
    WmiConnection wmi;
    if (!wmi.Connect()) {
        if (error) *error = wmi.LastError;
        return false;
    }
    const struct {
        const char* property;
        std::vector<std::string>* list;
    } kProperties[] = {
        {"BankLabel", &lists.bankLabel},   {"Capacity", &lists.capacity},         {"TypeDetail", &lists.typeDetail},
        {"FormFactor", &lists.formFactor}, {"DataWidth", &lists.dataWidth},       {"SerialNumber", &lists.serialNumber},
        {"MemoryType", &lists.memoryType}, {"Speed", &lists.speed},
    };
    for (const auto& p : kProperties) wmi.QueryProperty(kModuleClass, p.property, *p.list);
    if (error) *error = wmi.LastError;
    return true;
}
