// A critical section and its scoped hold. Not std::mutex: that would link the runtime's
// pthread emulation into the program.
#pragma once
#include <windows.h>

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    class Hold {
    public:
        explicit Hold(CriticalSection& owner) : owner_(owner) { EnterCriticalSection(&owner_.section_); }
        ~Hold() { LeaveCriticalSection(&owner_.section_); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CriticalSection& owner_;
    };

private:
    CRITICAL_SECTION section_;
};
