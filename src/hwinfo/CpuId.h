// The processor's identification and time-stamp instructions, guarded against the
// invalid-instruction fault of processors that lack them.
#pragma once
#include <cstdint>

struct CpuidRegs {
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// Where identification reads the processor: the real instructions, or any other source put
// in their place (a recorded processor).
class CpuSource {
public:
    virtual ~CpuSource() = default;
    // True when bit 21 of EFLAGS can be flipped, i.e. CPUID exists.
    virtual bool HasIdFlag() const = 0;
    // Executes CPUID `leaf` (sub-leaf 0); false when the instruction faulted.
    virtual bool Cpuid(std::uint32_t leaf, CpuidRegs& regs) const = 0;
    // Reads the time-stamp counter; false when the instruction faulted.
    virtual bool ReadTsc(std::uint64_t& tsc) const = 0;
};

// The processor this process runs on; process-wide, stateless.
const CpuSource& RealCpu();

// For its lifetime, arms on this thread the skip of a faulting CPUID, RDTSC or UD2 (each two
// bytes): the instruction is stepped over, its outputs are garbage and Faulted() turns true.
class FaultGuard {
public:
    FaultGuard();
    ~FaultGuard();
    FaultGuard(const FaultGuard&) = delete;
    FaultGuard& operator=(const FaultGuard&) = delete;
    bool Faulted() const;

private:
    bool filter_;  // guarding through the top-level filter, restored at the end
};

// Flips the EFLAGS ID bit and reads it back; true when it changed.
bool EflagsIdBitToggles();
// CPUID and RDTSC under the fault guard; false when the processor rejected the instruction.
bool GuardedCpuid(std::uint32_t leaf, CpuidRegs& regs);
bool GuardedRdtsc(std::uint64_t& tsc);
// Reads the performance counter until `milliseconds` have passed on it (one read when 0);
// returns at once without such a counter.
void SpinPerformanceCounter(int milliseconds);
// Guards through the top-level exception filter even where vectored handlers exist, as
// systems before XP must (on), or the usual way (off, the default).
void UseUnhandledFilterGuard(bool on);
