// Processor identification by CPUID: the quick name, the fuller identification
// (vendor, signature, L2 size, clock) and the name the main window shows.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "hwinfo/CpuId.h"

// Signature fields of CPUID function 1 EAX.
struct CpuSignature {
    int Family = 0, Model = 0, Stepping = 0, Type = 0, ExtFamily = 0, ExtModel = 0;
};
CpuSignature DecodeSignature(std::uint32_t eax);

// Vendor code of a CPUID vendor text (exact comparison; 9 for any text outside the table).
int VendorCodeOf(const std::string& vendorId);
// Vendor text of function 0 (EBX, EDX, ECX), 12 characters.
std::string VendorText(const CpuidRegs& function0);
// The 48-character brand text of functions 0x80000002..4, cut at its first NUL.
std::string BrandText(const CpuidRegs (&brand)[3]);

// Name from the Intel signature table for the registers of function 1; "" outside the table.
std::string IntelTableName(const CpuidRegs& function1);
// Name table entry by vendor code, family and model (Windows-1252 texts); "" where the
// table leaves the name unchanged.
std::string NameTableEntry(int vendorCode, int family, int model, int extFamily, bool isMultiprocessor);
// L2 size in KB named by the descriptor bytes of `count` function-2 results; -1 when a
// byte outside the descriptor table ends the scan or nothing names a size.
int L2FromDescriptors(const CpuidRegs* results, int count);
// MHz from the time-stamp differences of the 50 ms pass and of the pass without waiting.
int ClockFromPasses(std::int64_t waited, std::int64_t unwaited);

// Quick name: "Unknown CPU" without CPUID; else the brand text when the processor has one,
// else the Intel table name for Intel processors, else "".
std::string GetProcessorName(const CpuSource& cpu = RealCpu());

// Fuller identification; every field keeps its initial value until Identify fills it.
class ProcessorInfo {
public:
    // Fills the fields from `cpu`; a faulting CPUID stops the step that ran it.
    void Identify(const CpuSource& cpu = RealCpu());
    // True when the extended CPUID function `level` may be executed on this processor.
    bool ExtendedLevelAvailable(const CpuSource& cpu, std::uint32_t level) const;
    // Measured clock in MHz; -1 when none was measured.
    int ClockMHz() const { return clock ? *clock : -1; }

    char VendorId[13] = {};
    int VendorCode = 0;
    int Family = 0, Model = 0, Stepping = 0, Type = 0;
    int ExtFamily = 0, ExtModel = 0;
    bool HasTsc = false;
    bool IsMultiprocessor = false;
    int L2CacheKB = 0;  // -1 when undetermined
    std::optional<int> clock;
    char ProcessorName[49] = {};

private:
    void ReadCache(const CpuSource& cpu);
    void ReadName(const CpuSource& cpu);
};

// Measures the clock with the time-stamp counter against the performance counter (50 ms).
int MeasureTscClockMHz(const CpuSource& cpu);

// The processor name the main window shows: the quick name when it names a Celeron,
// otherwise the identified name (a Pentium 3 with less than 256 KB L2 is a Celeron).
std::string DisplayProcessorName(const CpuSource& cpu = RealCpu());
