#include "procmgr/ProcessMonitor.h"

#include <algorithm>
#include <cstring>

namespace {
// The head of one SYSTEM_PROCESS_INFORMATION record, laid out alike from NT 4 on.
struct ProcessInfoHead {
    ULONG nextEntryOffset;
    ULONG threads;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    USHORT nameBytes;
    USHORT nameCapacity;
    const wchar_t* name;
    LONG basePriority;
    HANDLE processId;
};

struct ProcessTimes {
    DWORD id;
    ULONGLONG createTime, kernelTime;
};

using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// Null where the system lacks it (the 9x line, which cannot tell other processes' times).
QueryFn SystemInformationQuery() {
    static const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    return query;
}

// Reads every process's times with one call into `buffer`: opening each process instead
// costs a round trip per process, twice a pass, for the life of the program. False when the
// call failed.
bool ReadProcessTimes(std::vector<char>& buffer) {
    const ULONG kProcessInformation = 5;
    const LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    QueryFn query = SystemInformationQuery();
    if (!query) return false;
    // Grown to what the system asks for: 64 KB hold a few dozen processes, a busier system
    // grows it once.
    if (buffer.empty()) buffer.resize(64 * 1024);
    LONG status;
    for (;;) {
        ULONG needed = 0;
        status = query(kProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status != kLengthMismatch || buffer.size() >= 64u * 1024 * 1024) break;
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 64 * 1024));
    }
    return status >= 0;
}

// Calls `visit` for every process of a buffer ReadProcessTimes filled, but the idle process.
template <class Visit>
void ForEachProcessTime(const std::vector<char>& buffer, Visit visit) {
    for (size_t at = 0;;) {
        const auto* head = reinterpret_cast<const ProcessInfoHead*>(buffer.data() + at);
        DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(head->processId));
        if (id != 0)
            visit(ProcessTimes{id, static_cast<ULONGLONG>(head->createTime.QuadPart),
                               static_cast<ULONGLONG>(head->kernelTime.QuadPart)});
        if (head->nextEntryOffset == 0 || at + head->nextEntryOffset + sizeof *head > buffer.size()) break;
        at += head->nextEntryOffset;
    }
}

size_t Watched(const std::vector<DWORD>& ids) { return std::min<size_t>(ids.size(), kMonitorPositions); }

// Position of `id` among the first `count` of `ids`, or -1.
int PositionOf(const std::vector<DWORD>& ids, size_t count, DWORD id) {
    for (size_t i = 0; i < count; ++i)
        if (ids[i] == id) return static_cast<int>(i);
    return -1;
}

// Makes the sampler's list again, and forgets what it was made from.
void ListAgain(SamplerState& state) {
    state.listed.clear();
    state.list.Refresh();
}

// Makes the sampler's list again only when processes came or went since it was made (the
// snapshot just read tells), as enumerating opens each one.
void FollowProcesses(SamplerState& state) {
    std::vector<ULONGLONG> running;
    ForEachProcessTime(state.snapshot, [&](const ProcessTimes& p) {
        running.push_back(p.id);
        running.push_back(p.createTime);
    });
    if (running == state.listed) return;
    state.listed.clear();
    if (state.list.Refresh()) state.listed.swap(running);
}

// The history's pages come zeroed from the system and stay untouched until a position is
// used: on a machine with a few dozen processes most of its 400 KB are never made resident.
struct HistoryPages {
    struct Free {
        void operator()(ActivityHistory* history) const { VirtualFree(history, 0, MEM_RELEASE); }
    };
    static std::unique_ptr<ActivityHistory, Free> Allocate() {
        void* pages = VirtualAlloc(nullptr, sizeof(ActivityHistory), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        return std::unique_ptr<ActivityHistory, Free>(static_cast<ActivityHistory*>(pages));
    }
};

// Positions of `table` up to its last sampled one.
size_t UsedPositions(const ActivityTable& table) {
    size_t used = 0;
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].processId != 0) used = i + 1;
    return used;
}

// The thread's body; it owns the tables, and shares only the flags and the cycle count.
void RunMonitorCycle(HANDLE stop, DWORD passMs, TrimCall trim, SavedTable& saved, std::atomic<int>& cycles) {
    auto history = HistoryPages::Allocate();
    auto current = std::make_unique<ActivityTable>();
    if (!history || !current) return;
    SamplerState sampler;
    size_t written = 0;  // positions of the history's tables that may hold a sample
    for (;;) {
        // Cleared as far as it was written: every position past that is still zero.
        for (ActivityTable& slot : *history) std::memset(slot.data(), 0, written * sizeof slot[0]);
        written = 0;
        for (ActivityTable& slot : *history) {
            if (!SampleActivityPass(*current, sampler, passMs, stop)) return;
            const size_t used = UsedPositions(*current);
            std::copy(current->begin(), current->begin() + used, slot.begin());
            written = std::max(written, used);
            if (WorkerThread::StopRequested(stop, passMs)) return;
        }
        // The list the cycle ends with, as it is now: the sampler's own while no process came
        // or went since it was made (enumerating opens every process), else made again.
        if (ReadProcessTimes(sampler.snapshot))
            FollowProcesses(sampler);
        else
            ListAgain(sampler);
        if (!TrimIdleProcesses(*history, sampler.list.ProcessIds, trim, stop, saved)) return;
        ++cycles;
    }
}
}  // namespace

ProcessMonitor::ProcessMonitor(DWORD passMs, TrimCall trim)
    : shared_(std::make_shared<Shared>()), passMs_(passMs), trim_(trim) {}

void ProcessMonitor::Start() {
    thread_.Stop();
    shared_ = std::make_shared<Shared>();
    std::shared_ptr<Shared> shared = shared_;
    DWORD passMs = passMs_;
    TrimCall trim = trim_;
    running_ = thread_.Start(
        [shared, passMs, trim](HANDLE stop) { RunMonitorCycle(stop, passMs, trim, shared->saved, shared->cycles); });
}

void ProcessMonitor::Stop() {
    running_ = false;
    thread_.Stop();
}

bool ProcessMonitor::EnergySaved(DWORD processId) const {
    if (processId == 0) return false;
    for (const std::atomic<DWORD>& saved : shared_->saved)
        if (saved == processId) return true;
    return false;
}

std::array<DWORD, kMonitorPositions> IdleProcesses(const ActivityHistory& history, const std::vector<DWORD>& ids) {
    std::array<DWORD, kMonitorPositions> idle{};
    for (size_t i = 0; i < Watched(ids); ++i) {
        DWORD id = ids[i];
        bool sampled = false;
        int ticks = 0;
        for (const ActivityTable& slot : history)
            for (const ActivitySample& sample : slot)
                if (sample.processId == id) {
                    sampled = true;
                    ticks += sample.ticks;
                }
        if (id != 0 && sampled && CountsAsIdle(ticks)) idle[i] = id;
    }
    return idle;
}

bool TrimIdleProcesses(const ActivityHistory& history, const std::vector<DWORD>& ids, TrimCall trim, HANDLE stop,
                       SavedTable& saved) {
    std::array<DWORD, kMonitorPositions> idle = IdleProcesses(history, ids);
    for (size_t i = 0; i < idle.size(); ++i) {
        if (WorkerThread::StopRequested(stop)) return false;
        bool trimmed = idle[i] != 0 && trim(idle[i]);
        // A stop asked during the trim leaves the flags as the reader last saw them.
        if (WorkerThread::StopRequested(stop)) return false;
        // Past the list's end too: an old entry names a process of another cycle.
        saved[i] = trimmed ? idle[i] : 0;
    }
    return true;
}

int PassTicks(ULONGLONG before, ULONGLONG after) {
    return static_cast<int>(static_cast<LONGLONG>(after - before) / kTickUnits);
}

int HistoryTicks(const ActivityHistory& history, DWORD processId) {
    int sum = 0;
    for (const ActivityTable& slot : history)
        for (const ActivitySample& sample : slot)
            if (sample.processId == processId) sum += sample.ticks;
    return sum;
}

bool SampleActivityPass(ActivityTable& table, SamplerState& state, DWORD passMs, HANDLE stop) {
    std::memset(&table, 0, sizeof table);
    // Without the system's times nothing can be sampled; the pass still takes its time.
    if (!ReadProcessTimes(state.snapshot)) return !WorkerThread::StopRequested(stop, passMs);
    FollowProcesses(state);
    const std::vector<DWORD>& ids = state.list.ProcessIds;
    size_t watched = Watched(ids);
    CpuTimeSample start[kMonitorPositions] = {};
    ULONGLONG created[kMonitorPositions] = {};
    ForEachProcessTime(state.snapshot, [&](const ProcessTimes& p) {
        int i = PositionOf(ids, watched, p.id);
        if (i < 0) return;
        start[i] = {p.kernelTime, p.id};
        created[i] = p.createTime;
    });
    if (WorkerThread::StopRequested(stop, passMs)) return false;
    if (!ReadProcessTimes(state.snapshot)) return true;
    ForEachProcessTime(state.snapshot, [&](const ProcessTimes& p) {
        int i = PositionOf(ids, watched, p.id);
        // The same id with another creation time is a new process that took a freed id.
        if (i < 0 || start[i].processId != p.id || created[i] != p.createTime) return;
        ActivitySample& sample = table[i];
        sample.ticks = PassTicks(start[i].kernelTime, p.kernelTime);
        sample.processId = p.id;
        lstrcpynA(sample.path, state.list.ImagePaths[i].c_str(), MAX_PATH);
    });
    return true;
}
