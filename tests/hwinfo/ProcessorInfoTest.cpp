#include "hwinfo/ProcessorInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace {
// A recorded processor: CPUID answers by leaf (function 2 answers in turn), leaves
// that fault, and a time-stamp counter that may fault.
class FakeCpu : public CpuSource {
public:
    bool HasIdFlag() const override { return idFlag; }
    bool Cpuid(std::uint32_t leaf, CpuidRegs& regs) const override {
        if (faulting.count(leaf)) return false;
        auto it = leaves.find(leaf);
        if (it == leaves.end()) {
            regs = CpuidRegs();
            return true;
        }
        size_t& turn = turns[leaf];
        regs = it->second[turn % it->second.size()];
        ++turn;
        return true;
    }
    bool ReadTsc(std::uint64_t& tsc) const override {
        if (!tscWorks) return false;
        tsc = tscTicks += 1000;
        return true;
    }

    void Vendor(const char* text) {
        CpuidRegs r;
        r.eax = 2;
        std::memcpy(&r.ebx, text, 4);
        std::memcpy(&r.edx, text + 4, 4);
        std::memcpy(&r.ecx, text + 8, 4);
        leaves[0] = {r};
    }
    void Signature(int family, int model, int extFamily = 0, std::uint32_t ebx = 0, std::uint32_t edx = 0,
                   std::uint32_t ecx = 0) {
        CpuidRegs r;
        r.eax = static_cast<std::uint32_t>(extFamily << 20 | family << 8 | model << 4 | 1);
        r.ebx = ebx, r.ecx = ecx, r.edx = edx;
        leaves[1] = {r};
    }
    void MaxExtended(std::uint32_t level) {
        CpuidRegs r;
        r.eax = level;
        leaves[0x80000000] = {r};
    }
    void Brand(const char* text, size_t length = 0) {
        char padded[48] = {};
        std::memcpy(padded, text, length ? length : std::strlen(text));
        for (std::uint32_t i = 0; i < 3; ++i) {
            CpuidRegs r;
            std::memcpy(&r, padded + 16 * i, 16);
            leaves[0x80000002 + i] = {r};
        }
    }
    void Set(std::uint32_t leaf, std::uint32_t eax, std::uint32_t ebx, std::uint32_t ecx, std::uint32_t edx) {
        CpuidRegs r;
        r.eax = eax, r.ebx = ebx, r.ecx = ecx, r.edx = edx;
        leaves[leaf].push_back(r);
    }

    bool idFlag = true;
    bool tscWorks = true;
    std::map<std::uint32_t, std::vector<CpuidRegs>> leaves;
    std::set<std::uint32_t> faulting;
    mutable std::map<std::uint32_t, size_t> turns;
    mutable std::uint64_t tscTicks = 0;
};

FakeCpu Cpu(const char* vendor, int family, int model, int extFamily = 0, std::uint32_t ebx = 0) {
    FakeCpu cpu;
    cpu.Vendor(vendor);
    cpu.Signature(family, model, extFamily, ebx);
    return cpu;
}

ProcessorInfo Identified(const FakeCpu& cpu) {
    ProcessorInfo info;
    info.Identify(cpu);
    return info;
}
}  // namespace

TEST(ProcessorVendor, TableIsExactAndCaseSensitive) {
    const std::pair<const char*, int> cases[] = {
        {"GenuineIntel", 1}, {"UMC UMC UMC ", 3}, {"AuthenticAMD", 0}, {"AMD ISBETTER", 0},
        {"CyrixInstead", 4}, {"NexGenDriven", 5}, {"CentaurHauls", 6}, {"RiseRiseRise", 7},
        {"GenuineTMx86", 8}, {"TransmetaCPU", 8}, {"Geode By NSC", 2}, {"genuineintel", 9},
        {"GenuineIntel ", 9}, {"", 9},
    };
    for (const auto& c : cases) EXPECT_EQ(VendorCodeOf(c.first), c.second) << "'" << c.first << "'";
}

TEST(ProcessorSignature, DecodesEveryField) {
    CpuSignature s = DecodeSignature(0x0FA36F2B);
    EXPECT_EQ(s.Stepping, 0xB);
    EXPECT_EQ(s.Model, 0x2);
    EXPECT_EQ(s.Family, 0xF);
    EXPECT_EQ(s.Type, 0x6);
    EXPECT_EQ(s.ExtModel, 0x3);
    EXPECT_EQ(s.ExtFamily, 0xFA);
}

TEST(ProcessorName, IntelPentiumIIICoppermine) {
    FakeCpu cpu = Cpu("GenuineIntel", 6, 8);
    cpu.Set(2, 0x03020101, 0, 0, 0x0C040843);
    EXPECT_EQ(GetProcessorName(cpu), "Intel Pentium(R) III Coppermine");
    ProcessorInfo info = Identified(cpu);
    EXPECT_STREQ(info.ProcessorName, "Pentium III(0.18) Coppermine");
    EXPECT_EQ(info.L2CacheKB, 512);
    EXPECT_EQ(DisplayProcessorName(cpu), "Pentium III(0.18) Coppermine");
}

TEST(ProcessorName, CeleronQuickNameIsShownWithoutIdentifying) {
    FakeCpu cpu = Cpu("GenuineIntel", 6, 6);
    EXPECT_EQ(GetProcessorName(cpu), "Intel Celeron(TM),Model 6 ");
    EXPECT_EQ(DisplayProcessorName(cpu), "Intel Celeron(TM),Model 6 ");
    EXPECT_EQ(cpu.turns.count(2), 0u);  // no descriptor scan: Identify never ran
}

TEST(ProcessorName, IntelFamily15BrandTextLosesItsLeadingBlanks) {
    FakeCpu cpu = Cpu("GenuineIntel", 15, 2);
    cpu.MaxExtended(0x80000008);
    cpu.Brand("              Intel(R) Pentium(R) 4 CPU 2.40GHz");
    cpu.Set(0x80000006, 0, 0, 512u << 16 | 0x40, 0);
    EXPECT_EQ(GetProcessorName(cpu), "              Intel(R) Pentium(R) 4 CPU 2.40GHz");
    ProcessorInfo info = Identified(cpu);
    EXPECT_STREQ(info.ProcessorName, "Intel(R) Pentium(R) 4 CPU 2.40GHz");
    EXPECT_EQ(info.L2CacheKB, 512);
    EXPECT_EQ(DisplayProcessorName(cpu), "Intel(R) Pentium(R) 4 CPU 2.40GHz");
}

TEST(ProcessorName, IntelBrandTextPaddedWithNulsOnTheLeftMovesToTheFront) {
    FakeCpu cpu = Cpu("GenuineIntel", 15, 4);
    cpu.MaxExtended(0x80000004);
    const char padded[] = "\0\0\0\0  Intel(R) Xeon(TM) CPU 3.00GHz";
    cpu.Brand(padded, sizeof padded - 1);
    EXPECT_STREQ(Identified(cpu).ProcessorName, "Intel(R) Xeon(TM) CPU 3.00GHz");
}

TEST(ProcessorName, BlankIntelBrandTextStaysAsItIs) {
    FakeCpu cpu = Cpu("GenuineIntel", 15, 2);
    cpu.MaxExtended(0x80000004);
    cpu.Brand("   ");
    EXPECT_STREQ(Identified(cpu).ProcessorName, "   ");
}

TEST(ProcessorName, AthlonXpUnlessTheMultiprocessorBitIsSet) {
    FakeCpu cpu = Cpu("AuthenticAMD", 6, 8);
    cpu.MaxExtended(0x80000001);
    cpu.Set(0x80000001, 0, 0, 0, 0);
    ProcessorInfo info = Identified(cpu);
    EXPECT_FALSE(info.IsMultiprocessor);
    EXPECT_STREQ(info.ProcessorName, "Athlon\x99 XP (Thoroughbred core)");
    EXPECT_EQ(info.L2CacheKB, -1);  // no extended cache functions, no descriptors

    FakeCpu mp = Cpu("AuthenticAMD", 6, 8);
    mp.MaxExtended(0x80000001);
    mp.Set(0x80000001, 0, 0, 0, 1u << 19);
    info = Identified(mp);
    EXPECT_TRUE(info.IsMultiprocessor);
    EXPECT_STREQ(info.ProcessorName, "Athlon\x99 MP (Thoroughbred core)");
}

TEST(ProcessorName, IntelNeverReadsTheMultiprocessorBit) {
    FakeCpu cpu = Cpu("GenuineIntel", 15, 0);
    cpu.MaxExtended(0x80000001);
    cpu.Set(0x80000001, 0, 0, 0, 1u << 19);
    EXPECT_FALSE(Identified(cpu).IsMultiprocessor);
}

TEST(ProcessorName, NameTableByVendorFamilyAndModel) {
    struct Case {
        int vendor, family, model, extFamily;
        const char* name;
    };
    const Case cases[] = {
        {3, 4, 2, 0, "U5S"},
        {3, 5, 2, 0, "Unknown UMC family"},
        {9, 6, 8, 0, "Unknown family"},
        {2, 5, 4, 0, "Cx486SLC \\ DLC \\ Cx486S A-Step"},
        {1, 3, 0, 0, "Newer i80386 family"},
        {1, 4, 6, 0, "Unknown 80486 family"},
        {1, 5, 7, 0, "P54C"},
        {1, 5, 5, 0, "Unknown Pentium\xAE family"},
        {1, 6, 9, 0, "Pentium3-M Processer"},
        {1, 6, 12, 0, "Pentium3-M Processer"},
        {1, 15, 1, 0, "Pentium 4 (0.18)"},
        {1, 15, 2, 0, "Pentium 4 (0.13)"},
        {1, 15, 3, 0, "Unknown Pentium 4 family"},
        {1, 15, 0, 1, "Intel McKinley (IA-64)"},
        {1, 15, 0, 2, ""},
        {1, 8, 0, 0, "Unknown Intel family"},
        {0, 4, 15, 0, "5x86WB"},
        {0, 5, 13, 0, "K6-2+ or K6-III+ (0.18)"},
        {0, 6, 5, 0, "Unknown K7 family"},
        {0, 15, 0, 0, "Unknown AMD family"},
        {4, 6, 7, 0, "WinChip C5B\\C5C Core"},
        {4, 6, 9, 0, "Unknown 6x86MX\\Cyrix III family"},
        {4, 7, 0, 0, "Unknown Cyrix family"},
        {5, 5, 0, 0, "Nx586 or Nx586FPU"},
        {5, 5, 1, 0, "Unknown NexGen family"},
        {6, 6, 6, 0, "VIA Cyrix III - Samuel"},
        {6, 6, 7, 0, "Unknown IDT\\Centaur family"},
        {6, 5, 3, 0, "Unknown IDT\\Centaur family"},
        {7, 5, 2, 0, "mP6 (0.18)"},
        {7, 6, 0, 0, "Unknown Rise family"},
        {8, 5, 4, 0, "Crusoe TM3x00 and TM5x00"},
        {8, 5, 5, 0, "Unknown Crusoe family"},
        {8, 6, 0, 0, "Unknown Transmeta family"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameTableEntry(c.vendor, c.family, c.model, c.extFamily, false), c.name)
            << c.vendor << " " << c.family << "/" << c.model << " ext " << c.extFamily;
}

TEST(ProcessorName, UmcAndUnknownVendorsThroughIdentify) {
    EXPECT_STREQ(Identified(Cpu("UMC UMC UMC ", 4, 2)).ProcessorName, "U5S");
    EXPECT_STREQ(Identified(Cpu("VendorUnseen", 6, 8)).ProcessorName, "Unknown family");
    EXPECT_EQ(GetProcessorName(Cpu("VendorUnseen", 6, 8)), "");
}

TEST(ProcessorName, IntelModel9WithBrandIndex0) {
    FakeCpu cpu = Cpu("GenuineIntel", 6, 9, 0, 0);
    EXPECT_EQ(GetProcessorName(cpu), "AMD K6-7 Family CPU");
    EXPECT_STREQ(Identified(cpu).ProcessorName, "Pentium3-M Processer");
}

TEST(ProcessorName, IntelTableByBrandIndexAndFamily) {
    const std::pair<std::uint32_t, const char*> brands[] = {
        {1, "Intel Celeron(TM) "}, {2, "Intel Pentium(R) III "}, {3, "Intel Pentium(R) III Xeon(TM) "},
        {8, "Intel Pentium(R) 4 "}, {4, "AMD K6-7 Family CPU"}, {0x0301, "Intel Celeron(TM) "}};
    for (const auto& b : brands) {
        CpuidRegs f1;
        f1.eax = 6 << 8 | 11 << 4;
        f1.ebx = b.first;
        EXPECT_EQ(IntelTableName(f1), b.second) << b.first;
    }
    const std::pair<int, const char*> i486[] = {{1, "Intel486(TM) DX "}, {6, "Intel 486 "},
                                                 {7, "Writeback Enhanced IntelDX2(TM) "}, {12, "Intel 486 "}};
    for (const auto& m : i486) {
        CpuidRegs f1;
        f1.eax = static_cast<std::uint32_t>(4 << 8 | m.first << 4);
        EXPECT_EQ(IntelTableName(f1), m.second) << m.first;
    }
    CpuidRegs p5;
    p5.eax = 5 << 8 | 9 << 4;
    EXPECT_EQ(IntelTableName(p5), "Intel Pentium(R)");
    CpuidRegs p4;
    p4.eax = 15 << 8;
    EXPECT_EQ(IntelTableName(p4), "");
}

// The cache test reads the bytes of function 1's registers (EAX's lowest holds the model).
TEST(ProcessorName, CacheTestOfModels5And7) {
    CpuidRegs f1;
    f1.eax = 6 << 8 | 5 << 4;
    EXPECT_EQ(IntelTableName(f1), "Intel Pentium(R) II,Model 5");
    f1.edx = 0x00440000;
    EXPECT_EQ(IntelTableName(f1), "Intel Pentium(R) II Xeon(TM) ");
    f1.ecx = 0x40000000;
    EXPECT_EQ(IntelTableName(f1), "Intel Celeron(TM),Model 5");
    CpuidRegs f7;
    f7.eax = 6 << 8 | 7 << 4;
    EXPECT_EQ(IntelTableName(f7), "Intel Pentium(R) III ");
    f7.ebx = 0x45;
    EXPECT_EQ(IntelTableName(f7), "Intel Pentium(R) III Xeon(TM) ");
    f7.eax |= 0x40 << 16;
    EXPECT_EQ(IntelTableName(f7), "Intel Celeron(TM),Model 5");
}

TEST(CacheDescriptors, LargestSizeWinsAndUnknownBytesEndTheScan) {
    CpuidRegs r;
    r.eax = 0x00004301;  // rounds 1, 0x43
    r.edx = 0x00007C00;
    EXPECT_EQ(L2FromDescriptors(&r, 1), 1024);

    CpuidRegs onlyNoL2;
    onlyNoL2.eax = 0x00000001;
    onlyNoL2.ebx = 0x40;
    EXPECT_EQ(L2FromDescriptors(&onlyNoL2, 1), 0);

    CpuidRegs noL2After;
    noL2After.eax = 0x00004101;
    noL2After.ebx = 0x40;
    EXPECT_EQ(L2FromDescriptors(&noL2After, 1), 128);

    CpuidRegs unknown;
    unknown.eax = 0x00004301;
    unknown.ecx = 0x49;
    EXPECT_EQ(L2FromDescriptors(&unknown, 1), -1);

    CpuidRegs nothing;
    nothing.eax = 0x00000001;
    EXPECT_EQ(L2FromDescriptors(&nothing, 1), -1);

    CpuidRegs two[2];
    two[0].eax = 0x00000002;
    two[0].ebx = 0x1A;
    two[1].ecx = 0x85000000;
    EXPECT_EQ(L2FromDescriptors(two, 2), 2048);
}

TEST(CacheDescriptors, IdentifyRunsFunction2AsOftenAsItSays) {
    FakeCpu cpu = Cpu("GenuineIntel", 6, 7);
    cpu.Set(2, 0x00000002, 0x40, 0, 0);
    cpu.Set(2, 0x00000000, 0, 0x00440000, 0);
    EXPECT_EQ(Identified(cpu).L2CacheKB, 1024);
    EXPECT_EQ(cpu.turns[2], 2u);

    FakeCpu bad = Cpu("GenuineIntel", 6, 7);
    bad.Set(2, 0x00490001, 0, 0, 0);
    EXPECT_EQ(Identified(bad).L2CacheKB, -1);

    FakeCpu none = Cpu("GenuineIntel", 6, 7);
    none.Set(2, 0x00000001, 0x40, 0, 0);
    EXPECT_EQ(Identified(none).L2CacheKB, 0);
}

// A Pentium 3 brand without a known L2 of at least 256 KB is shown as a Celeron.
TEST(DisplayName, SmallCachePentium3IsShownAsCeleron) {
    FakeCpu cpu = Cpu("AuthenticAMD", 6, 6);
    cpu.MaxExtended(0x80000004);
    cpu.Brand("  Pentium 3 lookalike");
    EXPECT_EQ(DisplayProcessorName(cpu), "Intel(R) Celeron (0.13)");
    cpu.MaxExtended(0x80000006);
    cpu.Set(0x80000006, 0, 0, 256u << 16, 0);
    EXPECT_EQ(DisplayProcessorName(cpu), "  Pentium 3 lookalike");
}

TEST(ExtendedLevel, VendorRulesComeBeforeTheProcessorsAnswer) {
    struct Case {
        const char* vendor;
        int family, model;
        bool available;
    };
    const Case cases[] = {
        {"AuthenticAMD", 4, 15, false}, {"AuthenticAMD", 5, 5, false}, {"AuthenticAMD", 5, 6, true},
        {"GenuineIntel", 6, 15, false}, {"GenuineIntel", 15, 0, true},  {"CyrixInstead", 5, 3, false},
        {"CyrixInstead", 6, 4, false},  {"CyrixInstead", 6, 5, true},  {"CentaurHauls", 5, 7, false},
        {"CentaurHauls", 5, 8, true},   {"GenuineTMx86", 4, 9, false}, {"GenuineTMx86", 5, 0, true},
        {"RiseRiseRise", 4, 0, true},
    };
    for (const Case& c : cases) {
        FakeCpu cpu = Cpu(c.vendor, c.family, c.model);
        cpu.MaxExtended(0x80000008);
        ProcessorInfo info = Identified(cpu);
        EXPECT_EQ(info.ExtendedLevelAvailable(cpu, 0x80000004), c.available) << c.vendor << " " << c.family << "/"
                                                                            << c.model;
    }
    FakeCpu low = Cpu("AuthenticAMD", 15, 0);
    low.MaxExtended(0x80000004);
    ProcessorInfo info = Identified(low);
    EXPECT_TRUE(info.ExtendedLevelAvailable(low, 0x80000004));
    EXPECT_FALSE(info.ExtendedLevelAvailable(low, 0x80000005));
    EXPECT_TRUE(info.ExtendedLevelAvailable(low, 0x00000004));  // the top bit is masked off
    low.faulting.insert(0x80000000);
    EXPECT_FALSE(info.ExtendedLevelAvailable(low, 0x80000002));
}

TEST(NoCpuid, NamesUnknownCpuAndIdentifiesNothing) {
    FakeCpu cpu = Cpu("GenuineIntel", 6, 8);
    cpu.idFlag = false;
    cpu.faulting = {0, 1, 2, 0x80000000};
    EXPECT_EQ(GetProcessorName(cpu), "Unknown CPU");
    ProcessorInfo info = Identified(cpu);
    EXPECT_STREQ(info.ProcessorName, "");
    EXPECT_STREQ(info.VendorId, "");
    EXPECT_EQ(info.L2CacheKB, 0);
    EXPECT_EQ(info.Family, 0);
    EXPECT_EQ(info.ClockMHz(), -1);
    EXPECT_EQ(DisplayProcessorName(cpu), "");
}

TEST(Clock, MeasuredOnlyWithATimeStampCounter) {
    FakeCpu noTsc = Cpu("GenuineIntel", 5, 2);
    EXPECT_EQ(Identified(noTsc).ClockMHz(), -1);

    FakeCpu faulting = Cpu("GenuineIntel", 5, 2);
    faulting.Signature(5, 2, 0, 0, 0x10);
    faulting.tscWorks = false;
    ProcessorInfo info = Identified(faulting);
    EXPECT_TRUE(info.HasTsc);
    EXPECT_EQ(info.ClockMHz(), 0);  // both passes -1: measured, but nothing

    EXPECT_EQ(ClockFromPasses(122500000 + 4000, 4000), 2450);
    EXPECT_EQ(ClockFromPasses(-1, 3000), 0);
}

TEST(RealProcessor, IdentifiesThisMachineConsistently) {
    ASSERT_TRUE(EflagsIdBitToggles());
    ProcessorInfo info;
    info.Identify();
    EXPECT_EQ(std::strlen(info.VendorId), 12u);
    EXPECT_EQ(info.VendorCode, VendorCodeOf(info.VendorId));
    EXPECT_GT(info.Family, 0);
    EXPECT_TRUE(info.HasTsc);
    EXPECT_GT(info.ClockMHz(), 100);
    EXPECT_LT(info.ClockMHz(), 10000);
    EXPECT_NE(GetProcessorName(), "Unknown CPU");
    EXPECT_FALSE(DisplayProcessorName().empty());
}
