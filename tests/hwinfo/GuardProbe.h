// The fault guard proved on an instruction every x86 rejects.
#pragma once
#include "hwinfo/CpuId.h"

// Executes UD2 under the guard; false after the fault.
inline bool GuardedUndefinedInstruction() {
    FaultGuard guard;
    asm volatile("ud2" : : : "memory");
    return !guard.Faulted();
}
