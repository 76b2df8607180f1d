#include "hwinfo/CpuId.h"

#include <windows.h>

namespace {
// The guarded instructions are all two bytes: CPUID 0F A2, RDTSC 0F 31, UD2 0F 0B.
// A fault on one of them inside a guard is skipped, so its outputs are garbage and
// the guard reports failure.
// One guard at a time, held by the thread whose instruction it covers: a fault on any other
// thread is not ours to skip. (Plain globals rather than thread_local, which would link the
// runtime's emulated TLS and its pthread emulation.)
volatile LONG gGuardThread = 0;
volatile bool gFaulted = false;

bool SkipGuardedFault(EXCEPTION_POINTERS* info) {
    if (static_cast<DWORD>(gGuardThread) != GetCurrentThreadId()) return false;
    DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code != EXCEPTION_ILLEGAL_INSTRUCTION && code != EXCEPTION_PRIV_INSTRUCTION) return false;
    const unsigned char* pc = static_cast<const unsigned char*>(info->ExceptionRecord->ExceptionAddress);
    if (pc[0] != 0x0F || (pc[1] != 0xA2 && pc[1] != 0x31 && pc[1] != 0x0B)) return false;
    gFaulted = true;
#ifdef _WIN64
    info->ContextRecord->Rip += 2;
#else
    info->ContextRecord->Eip += 2;
#endif
    return true;
}

bool gForceFilter = false;

LONG CALLBACK VectoredHandler(EXCEPTION_POINTERS* info) {
    if (gForceFilter) return EXCEPTION_CONTINUE_SEARCH;
    return SkipGuardedFault(info) ? EXCEPTION_CONTINUE_EXECUTION : EXCEPTION_CONTINUE_SEARCH;
}

LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter = nullptr;

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* info) {
    if (SkipGuardedFault(info)) return EXCEPTION_CONTINUE_EXECUTION;
    return gPreviousFilter ? gPreviousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

// Installs the vectored handler once; false when the system has none (before XP).
bool VectoredHandlerInstalled() {
    using AddHandler = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
    static const bool installed = [] {
        auto add = reinterpret_cast<AddHandler>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "AddVectoredExceptionHandler")));
        return add && add(1, VectoredHandler) != nullptr;
    }();
    return installed;
}

class RealCpuSource : public CpuSource {
public:
    bool HasIdFlag() const override { return EflagsIdBitToggles(); }
    bool Cpuid(std::uint32_t leaf, CpuidRegs& regs) const override { return GuardedCpuid(leaf, regs); }
    bool ReadTsc(std::uint64_t& tsc) const override { return GuardedRdtsc(tsc); }
};
}  // namespace

// Without vectored handlers the top-level filter does the same job: nothing between the
// instruction and it handles an illegal instruction.
FaultGuard::FaultGuard() : filter_(gForceFilter || !VectoredHandlerInstalled()) {
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    while (InterlockedCompareExchange(&gGuardThread, self, 0) != 0) Sleep(0);
    gFaulted = false;
    if (filter_) gPreviousFilter = SetUnhandledExceptionFilter(UnhandledFilter);
}

FaultGuard::~FaultGuard() {
    if (filter_) SetUnhandledExceptionFilter(gPreviousFilter);
    InterlockedExchange(&gGuardThread, 0);
}

bool FaultGuard::Faulted() const { return gFaulted; }

void UseUnhandledFilterGuard(bool on) { gForceFilter = on; }

const CpuSource& RealCpu() {
    static const RealCpuSource cpu;
    return cpu;
}

bool EflagsIdBitToggles() {
    unsigned long long before = 0, after = 0;
#ifdef _WIN64
    asm volatile(
        "pushfq\n\t"
        "popq %0\n\t"
        "movq %0, %1\n\t"
        "xorq $0x200000, %0\n\t"
        "pushq %0\n\t"
        "popfq\n\t"
        "pushfq\n\t"
        "popq %0\n\t"
        "pushq %1\n\t"
        "popfq"
        : "=&r"(after), "=&r"(before)
        :
        : "cc");
#else
    unsigned long a = 0, b = 0;
    asm volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %0\n\t"
        "pushl %0\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "pushl %1\n\t"
        "popfl"
        : "=&r"(a), "=&r"(b)
        :
        : "cc");
    after = a;
    before = b;
#endif
    return ((after ^ before) & 0x200000) != 0;
}

bool GuardedCpuid(std::uint32_t leaf, CpuidRegs& regs) {
    FaultGuard guard;
    std::uint32_t a, b, c, d;
    asm volatile("cpuid" : "=a"(a), "=b"(b), "=c"(c), "=d"(d) : "a"(leaf), "c"(0) : "memory");
    if (guard.Faulted()) return false;
    regs.eax = a;
    regs.ebx = b;
    regs.ecx = c;
    regs.edx = d;
    return true;
}

bool GuardedRdtsc(std::uint64_t& tsc) {
    FaultGuard guard;
    std::uint32_t lo, hi;
    asm volatile("rdtsc" : "=a"(lo), "=d"(hi) : : "memory");
    if (guard.Faulted()) return false;
    tsc = static_cast<std::uint64_t>(hi) << 32 | lo;
    return true;
}

void SpinPerformanceCounter(int milliseconds) {
    LARGE_INTEGER frequency, start, now;
    if (!QueryPerformanceFrequency(&frequency)) return;
    const LONGLONG span = frequency.QuadPart / 1000 * milliseconds;
    QueryPerformanceCounter(&start);
    do {
        QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < span);
}
