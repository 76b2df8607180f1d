#include "hwinfo/ProcessorInfo.h"

// Free of Windows headers: the decoding builds natively for the fuzz targets (fuzz/).
#include <algorithm>
#include <cstring>

#include "app/TextUtil.h"

namespace {
struct VendorRow {
    const char* text;
    int code;
};
const VendorRow kVendors[] = {
    {"GenuineIntel", 1}, {"UMC UMC UMC ", 3}, {"AuthenticAMD", 0}, {"AMD ISBETTER", 0},
    {"CyrixInstead", 4}, {"NexGenDriven", 5}, {"CentaurHauls", 6}, {"RiseRiseRise", 7},
    {"GenuineTMx86", 8}, {"TransmetaCPU", 8}, {"Geode By NSC", 2},
};
constexpr int kUnknownVendor = 9;

// Model -1 is "any other model" of the family; family -1 "any other family" of the vendor.
struct NameRow {
    int vendor, family, model;
    const char* name;
};
const NameRow kNames[] = {
    {1, 3, -1, "Newer i80386 family"},
    {1, 4, 0, "i80486DX-25/33"}, {1, 4, 1, "i80486DX-50"}, {1, 4, 2, "i80486SX"}, {1, 4, 3, "i80486DX2"},
    {1, 4, 4, "i80486SL"}, {1, 4, 5, "i80486SX2"}, {1, 4, 7, "i80486DX2 WriteBack"}, {1, 4, 8, "i80486DX4"},
    {1, 4, 9, "i80486DX4 WriteBack"}, {1, 4, -1, "Unknown 80486 family"},
    {1, 5, 0, "P5 A-Step"}, {1, 5, 1, "P5"}, {1, 5, 2, "P54C"}, {1, 5, 7, "P54C"}, {1, 5, 3, "P24T OverDrive"},
    {1, 5, 4, "P55C"}, {1, 5, 8, "P55C (0.25)"}, {1, 5, -1, "Unknown Pentium\xAE family"},
    {1, 6, 0, "P6 A-Step"}, {1, 6, 1, "P6"}, {1, 6, 3, "Pentium II(0.28)"}, {1, 6, 5, "Pentium II(0.25)"},
    {1, 6, 6, "Pentium II"}, {1, 6, 7, "Pentium III(0.25)"}, {1, 6, 8, "Pentium III(0.18) Coppermine"},
    {1, 6, 10, "Pentium III(0.18)"}, {1, 6, 11, "Pentium III(0.13)"}, {1, 6, -1, "Pentium3-M Processer"},
    {1, 7, -1, "Intel Merced (IA-64)"},
    {1, -1, -1, "Unknown Intel family"},

    {0, 4, 3, "80486DX2"}, {0, 4, 7, "80486DX2 WriteBack"}, {0, 4, 8, "80486DX4"}, {0, 4, 9, "80486DX4 WriteBack"},
    {0, 4, 14, "5x86"}, {0, 4, 15, "5x86WB"}, {0, 4, -1, "Unknown 80486 family"},
    {0, 5, 0, "SSA5 (PR75, PR90, PR100)"}, {0, 5, 1, "5k86 (PR120, PR133)"}, {0, 5, 2, "5k86 (PR166)"},
    {0, 5, 3, "5k86 (PR200)"}, {0, 5, 6, "K6 (0.30)"}, {0, 5, 7, "K6 (0.25)"}, {0, 5, 8, "K6-2"},
    {0, 5, 9, "K6-III"}, {0, 5, 13, "K6-2+ or K6-III+ (0.18)"}, {0, 5, -1, "Unknown 80586 family"},
    {0, 6, 1, "Athlon\x99 (0.25)"}, {0, 6, 2, "Athlon\x99 (0.18)"}, {0, 6, 3, "Duron\x99 (SF core)"},
    {0, 6, 4, "Athlon (Thunderbird core)"}, {0, 6, 6, "Athlon\x99 (Palomino core)"},
    {0, 6, 7, "Duron\x99 (Morgan core)"}, {0, 6, -1, "Unknown K7 family"},
    {0, -1, -1, "Unknown AMD family"},

    {2, -1, -1, "Cx486SLC \\ DLC \\ Cx486S A-Step"},
    {3, 4, 1, "U5D"}, {3, 4, 2, "U5S"}, {3, -1, -1, "Unknown UMC family"},

    {4, 4, 4, "MediaGX GX, GXm"}, {4, 4, 9, "5x86"}, {4, 4, -1, "Unknown Cx5x86 family"},
    {4, 5, 2, "Cx6x86"}, {4, 5, 4, "MediaGX GXm"}, {4, 5, -1, "Unknown Cx6x86 family"},
    {4, 6, 0, "6x86MX"}, {4, 6, 5, "Cyrix M2 Core"}, {4, 6, 6, "WinChip C5A Core"},
    {4, 6, 7, "WinChip C5B\\C5C Core"}, {4, 6, 8, "WinChip C5C-T Core"},
    {4, 6, -1, "Unknown 6x86MX\\Cyrix III family"}, {4, -1, -1, "Unknown Cyrix family"},

    {5, 5, 0, "Nx586 or Nx586FPU"}, {5, -1, -1, "Unknown NexGen family"},
    {6, 5, 4, "C6"}, {6, 5, 8, "C2"}, {6, 5, 9, "C3"}, {6, 6, 6, "VIA Cyrix III - Samuel"},
    {6, -1, -1, "Unknown IDT\\Centaur family"},
    {7, 5, 0, "mP6 (0.25)"}, {7, 5, 2, "mP6 (0.18)"}, {7, -1, -1, "Unknown Rise family"},
    {8, 5, 4, "Crusoe TM3x00 and TM5x00"}, {8, 5, -1, "Unknown Crusoe family"},
    {8, -1, -1, "Unknown Transmeta family"},
    {9, -1, -1, "Unknown family"},
};

const char* FindName(int vendor, int family, int model) {
    const NameRow* familyElse = nullptr;
    const NameRow* vendorElse = nullptr;
    for (const NameRow& row : kNames) {
        if (row.vendor != vendor) continue;
        if (row.family == family && row.model == model) return row.name;
        if (row.family == family && row.model == -1) familyElse = &row;
        if (row.family == -1) vendorElse = &row;
    }
    if (familyElse) return familyElse->name;
    return vendorElse ? vendorElse->name : "";
}

// L2 sizes of the descriptor bytes; 0 marks bytes accepted without a size.
int DescriptorL2(unsigned byte, bool& known) {
    known = true;
    switch (byte) {
        case 0x1A: return 96;
        case 0x39: case 0x41: case 0x79: case 0x81: return 128;
        case 0x3C: case 0x42: case 0x7A: case 0x7E: case 0x82: return 256;
        case 0x43: case 0x7B: case 0x83: return 512;
        case 0x44: case 0x7C: case 0x84: return 1024;
        case 0x45: case 0x85: return 2048;
        case 0x00: case 0x01: case 0x02: case 0x03: case 0x04: case 0x06: case 0x08: case 0x0A: case 0x0C:
        case 0x10: case 0x15: case 0x22: case 0x23: case 0x25: case 0x29: case 0x40: case 0x50: case 0x51:
        case 0x52: case 0x5B: case 0x5C: case 0x5D: case 0x66: case 0x67: case 0x68: case 0x70: case 0x71:
        case 0x72: case 0x77: case 0x88: case 0x89: case 0x8A: case 0x8D: case 0x90: case 0x96: case 0x9B:
            return 0;
        default: known = false; return 0;
    }
}

unsigned ByteOf(std::uint32_t reg, int index) { return (reg >> (8 * index)) & 0xFF; }

// Name of the Intel family 6 models 5 and 7 by the cache bytes of function 1.
const char* CacheTestName(const CpuidRegs& r, const char* xeon, const char* plain) {
    const std::uint32_t regs[] = {r.eax, r.ebx, r.ecx, r.edx};
    bool noL2 = false, largeL2 = false;
    for (int i = 0; i < 4; ++i)
        for (int b = (i == 0 ? 1 : 0); b < 4; ++b) {
            unsigned v = ByteOf(regs[i], b);
            if (v == 0x40) noL2 = true;
            if (v == 0x44 || v == 0x45) largeL2 = true;
        }
    if (noL2) return "Intel Celeron(TM),Model 5";
    return largeL2 ? xeon : plain;
}

const char* IntelFamily6Name(int model, const CpuidRegs& r) {
    switch (model) {
        case 1: return "Intel Pentium(R) Pro ";
        case 3: return "Intel Pentium(R) II,Model 3";
        case 5: return CacheTestName(r, "Intel Pentium(R) II Xeon(TM) ", "Intel Pentium(R) II,Model 5");
        case 6: return "Intel Celeron(TM),Model 6 ";
        case 7: return CacheTestName(r, "Intel Pentium(R) III Xeon(TM) ", "Intel Pentium(R) III ");
        case 8: return "Intel Pentium(R) III Coppermine";
    }
    switch (r.ebx & 0xFF) {
        case 1: return "Intel Celeron(TM) ";
        case 2: return "Intel Pentium(R) III ";
        case 3: return "Intel Pentium(R) III Xeon(TM) ";
        case 8: return "Intel Pentium(R) 4 ";
        default: return "AMD K6-7 Family CPU";
    }
}

const char* Intel486Name(int model) {
    switch (model) {
        case 0: case 1: return "Intel486(TM) DX ";
        case 2: return "Intel486(TM) SX ";
        case 3: return "IntelDX2(TM) ";
        case 4: return "Intel486(TM) ";
        case 5: return "IntelSX2(TM) ";
        case 7: return "Writeback Enhanced IntelDX2(TM) ";
        case 8: return "IntelDX4(TM) ";
        default: return "Intel 486 ";
    }
}

bool ReadBrand(const CpuSource& cpu, CpuidRegs (&brand)[3]) {
    for (std::uint32_t i = 0; i < 3; ++i)
        if (!cpu.Cpuid(0x80000002 + i, brand[i])) return false;
    return true;
}


// Time-stamp ticks across one pass; with `wait` the pass spans 50 ms of the performance counter.
std::int64_t TscPass(const CpuSource& cpu, bool wait) {
    std::uint64_t before = 0, after = 0;
    if (!cpu.ReadTsc(before)) return -1;
    SpinPerformanceCounter(wait ? 50 : 0);
    if (!cpu.ReadTsc(after)) return -1;
    return static_cast<std::int64_t>(after - before);
}
}  // namespace

CpuSignature DecodeSignature(std::uint32_t eax) {
    CpuSignature s;
    s.Stepping = eax & 0xF;
    s.Model = (eax >> 4) & 0xF;
    s.Family = (eax >> 8) & 0xF;
    s.Type = (eax >> 12) & 0xF;
    s.ExtModel = (eax >> 16) & 0xF;
    s.ExtFamily = (eax >> 20) & 0xFF;
    return s;
}

int VendorCodeOf(const std::string& vendorId) {
    for (const VendorRow& row : kVendors)
        if (vendorId == row.text) return row.code;
    return kUnknownVendor;
}

std::string VendorText(const CpuidRegs& f0) {
    char text[12];
    std::memcpy(text, &f0.ebx, 4);
    std::memcpy(text + 4, &f0.edx, 4);
    std::memcpy(text + 8, &f0.ecx, 4);
    return std::string(text, strnlen(text, sizeof text));
}

std::string BrandText(const CpuidRegs (&brand)[3]) {
    char text[48];
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t regs[] = {brand[i].eax, brand[i].ebx, brand[i].ecx, brand[i].edx};
        std::memcpy(text + 16 * i, regs, 16);
    }
    return std::string(text, strnlen(text, sizeof text));
}

std::string IntelTableName(const CpuidRegs& f1) {
    CpuSignature s = DecodeSignature(f1.eax);
    if (s.Family == 4) return Intel486Name(s.Model);
    if (s.Family == 5) return "Intel Pentium(R)";
    if (s.Family == 6) return IntelFamily6Name(s.Model, f1);
    return std::string();
}

std::string NameTableEntry(int vendorCode, int family, int model, int extFamily, bool isMultiprocessor) {
    if (vendorCode == 1 && family == 15) {
        if (extFamily == 1) return "Intel McKinley (IA-64)";
        if (extFamily != 0) return std::string();
        if (model == 0 || model == 1) return "Pentium 4 (0.18)";
        return model == 2 ? "Pentium 4 (0.13)" : "Unknown Pentium 4 family";
    }
    if (vendorCode == 0 && family == 6 && model == 8)
        return isMultiprocessor ? "Athlon\x99 MP (Thoroughbred core)" : "Athlon\x99 XP (Thoroughbred core)";
    return FindName(vendorCode, family, model);
}

int L2FromDescriptors(const CpuidRegs* results, int count) {
    int l2 = -1;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t regs[] = {results[i].eax, results[i].ebx, results[i].ecx, results[i].edx};
        for (int r = 0; r < 4; ++r)
            for (int b = (r == 0 ? 1 : 0); b < 4; ++b) {
                unsigned byte = ByteOf(regs[r], b);
                bool known;
                int size = DescriptorL2(byte, known);
                if (!known) return -1;
                if (byte == 0x40 && l2 < 0) l2 = 0;
                l2 = std::max(l2, size == 0 ? l2 : size);
            }
    }
    return l2;
}

int ClockFromPasses(std::int64_t waited, std::int64_t unwaited) {
    return static_cast<int>((waited - unwaited) / 50 / 1000);
}

int MeasureTscClockMHz(const CpuSource& cpu) {
    std::int64_t waited = TscPass(cpu, true);
    std::int64_t unwaited = TscPass(cpu, false);
    return ClockFromPasses(waited, unwaited);
}

std::string GetProcessorName(const CpuSource& cpu) {
    if (!cpu.HasIdFlag()) return "Unknown CPU";
    CpuidRegs f0, f1, ext;
    cpu.Cpuid(0, f0);
    cpu.Cpuid(1, f1);
    cpu.Cpuid(0x80000000, ext);
    std::string name;
    if (Contains(VendorText(f0), "GenuineIntel")) name = IntelTableName(f1);
    CpuidRegs brand[3];
    if (ext.eax >= 0x80000004 && ReadBrand(cpu, brand)) name = BrandText(brand);
    return name;
}

bool ProcessorInfo::ExtendedLevelAvailable(const CpuSource& cpu, std::uint32_t level) const {
    switch (VendorCode) {
        case 0: if (Family < 5 || (Family == 5 && Model < 6)) return false; break;
        case 1: if (Family < 15) return false; break;
        case 4: if (Family < 5 || (Family == 5 && Model < 4) || (Family == 6 && Model < 5)) return false; break;
        case 6: if (Family < 5 || (Family == 5 && Model < 8)) return false; break;
        case 8: if (Family < 5) return false; break;
    }
    CpuidRegs ext;
    if (!cpu.Cpuid(0x80000000, ext)) return false;
    return (ext.eax & 0x7FFFFFFF) >= (level & 0x7FFFFFFF);
}

void ProcessorInfo::Identify(const CpuSource& cpu) {
    CpuidRegs f0, f1;
    if (!cpu.Cpuid(0, f0)) return;
    std::string vendor = VendorText(f0);
    std::memcpy(VendorId, vendor.c_str(), vendor.size() + 1);
    VendorCode = VendorCodeOf(vendor);
    if (cpu.Cpuid(1, f1)) {
        CpuSignature s = DecodeSignature(f1.eax);
        Family = s.Family, Model = s.Model, Stepping = s.Stepping, Type = s.Type;
        ExtFamily = s.ExtFamily, ExtModel = s.ExtModel;
        HasTsc = (f1.edx & 0x10) != 0;
    }
    if (HasTsc) clock = MeasureTscClockMHz(cpu);
    ReadCache(cpu);
    CpuidRegs f81;
    if (VendorCode != 1 && ExtendedLevelAvailable(cpu, 0x80000001) && cpu.Cpuid(0x80000001, f81))
        IsMultiprocessor = (f81.edx & 0x80000) != 0;
    ReadName(cpu);
}

void ProcessorInfo::ReadCache(const CpuSource& cpu) {
    CpuidRegs regs;
    L2CacheKB = -1;
    if (ExtendedLevelAvailable(cpu, 0x80000006)) {
        if (cpu.Cpuid(0x80000006, regs)) L2CacheKB = static_cast<int>(regs.ecx >> 16);
        return;
    }
    if (ExtendedLevelAvailable(cpu, 0x80000005) || !cpu.Cpuid(2, regs)) return;
    // The first result says how often function 2 must run to deliver all descriptors.
    int rounds = static_cast<int>(regs.eax & 0xFF);
    if (rounds == 0) return;
    CpuidRegs results[255];
    results[0] = regs;
    for (int i = 1; i < rounds; ++i)
        if (!cpu.Cpuid(2, results[i])) return;
    L2CacheKB = L2FromDescriptors(results, rounds);
}

void ProcessorInfo::ReadName(const CpuSource& cpu) {
    CpuidRegs brand[3];
    if (ExtendedLevelAvailable(cpu, 0x80000002) && ExtendedLevelAvailable(cpu, 0x80000003) &&
        ExtendedLevelAvailable(cpu, 0x80000004) && ReadBrand(cpu, brand)) {
        // All 48 bytes: a brand text may begin with NULs before its letters.
        std::memset(ProcessorName, 0, sizeof ProcessorName);
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t regs[] = {brand[i].eax, brand[i].ebx, brand[i].ecx, brand[i].edx};
            std::memcpy(ProcessorName + 16 * i, regs, 16);
        }
        if (VendorCode == 1) {
            // Intel pads the brand text on the left; the terminator is part of the scan.
            size_t first = 0;
            while (first < sizeof ProcessorName && (ProcessorName[first] == ' ' || ProcessorName[first] == '\0'))
                ++first;
            if (first < sizeof ProcessorName) {
                std::memmove(ProcessorName, ProcessorName + first, sizeof ProcessorName - first);
                std::memset(ProcessorName + sizeof ProcessorName - first, 0, first);
            }
        }
        return;
    }
    std::string name = NameTableEntry(VendorCode, Family, Model, ExtFamily, IsMultiprocessor);
    std::memset(ProcessorName, 0, sizeof ProcessorName);
    std::memcpy(ProcessorName, name.data(), std::min(name.size(), sizeof ProcessorName - 1));
}

std::string DisplayProcessorName(const CpuSource& cpu) {
    std::string first = GetProcessorName(cpu);
    first.erase(0, first.find_first_not_of(" \t\r\n\v\f"));
    if (Contains(first, "Celeron")) return first;
    ProcessorInfo info;
    info.Identify(cpu);
    std::string second = info.ProcessorName;
    if (Contains(second, "Pentium 3") && info.L2CacheKB < 256) second = "Intel(R) Celeron (0.13)";
    return second;
}
