// Processor identification over a recorded processor whose every CPUID answer comes from
// the input: vendor, signature, descriptor bytes of function 2, brand text, extended levels.
//
// Input: one byte of switches (bit 0: the EFLAGS ID bit toggles; bit 1: the time-stamp
// counter works; bit 2: leaves not in the record fault instead of reading zeros), then
// records of 20 bytes: leaf, EAX, EBX, ECX, EDX (little-endian). Repeated records of one
// leaf answer in turn, as function 2 does.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hwinfo/ProcessorInfo.h"

// The Windows side of the clock measurement; the recorded counter needs no waiting.
void SpinPerformanceCounter(int) {}

namespace {
struct Record {
    std::uint32_t leaf;
    CpuidRegs regs;
};

class RecordedCpu : public CpuSource {
public:
    RecordedCpu(const std::uint8_t* data, std::size_t size) {
        switches_ = size ? data[0] : 0;
        for (std::size_t at = 1; at + 20 <= size; at += 20) {
            std::uint32_t w[5];
            std::memcpy(w, data + at, sizeof w);
            records_.push_back({w[0], {}});
            records_.back().regs.eax = w[1], records_.back().regs.ebx = w[2];
            records_.back().regs.ecx = w[3], records_.back().regs.edx = w[4];
        }
        turns_.assign(records_.size(), 0);
    }
    bool HasIdFlag() const override { return switches_ & 1; }
    bool Cpuid(std::uint32_t leaf, CpuidRegs& regs) const override {
        std::vector<std::size_t> answers;
        for (std::size_t i = 0; i < records_.size(); ++i)
            if (records_[i].leaf == leaf) answers.push_back(i);
        if (answers.empty()) {
            regs = CpuidRegs();
            return !(switches_ & 4);
        }
        std::size_t& turn = turns_[answers.front()];
        regs = records_[answers[turn % answers.size()]].regs;
        ++turn;
        return true;
    }
    bool ReadTsc(std::uint64_t& tsc) const override {
        if (!(switches_ & 2)) return false;
        tsc = ticks_ += 1000000;
        return true;
    }
    const std::vector<Record>& Records() const { return records_; }

private:
    std::uint8_t switches_ = 0;
    std::vector<Record> records_;
    mutable std::vector<std::size_t> turns_;
    mutable std::uint64_t ticks_ = 0;
};

void Check(bool condition) {
    if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 + 20 * 300) return 0;
    RecordedCpu cpu(data, size);

    ProcessorInfo info;
    info.Identify(cpu);
    Check(std::memchr(info.ProcessorName, 0, sizeof info.ProcessorName) != nullptr);
    Check(std::memchr(info.VendorId, 0, sizeof info.VendorId) != nullptr);
    Check(info.L2CacheKB >= -1);
    Check(DisplayProcessorName(cpu).size() <= 48);

    // The plain decoders on the raw records as well.
    std::vector<CpuidRegs> regs;
    for (const Record& r : cpu.Records()) regs.push_back(r.regs);
    if (!regs.empty()) {
        L2FromDescriptors(regs.data(), static_cast<int>(regs.size()));
        CpuSignature s = DecodeSignature(regs[0].eax);
        NameTableEntry(VendorCodeOf(VendorText(regs[0])), s.Family, s.Model, s.ExtFamily, regs[0].edx & 1);
        IntelTableName(regs[0]);
    }
    if (regs.size() >= 3) {
        const CpuidRegs brand[3] = {regs[0], regs[1], regs[2]};
        Check(BrandText(brand).size() <= 48);
    }
    return 0;
}
