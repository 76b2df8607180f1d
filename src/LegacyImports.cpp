// Import slots for kernel functions that the static thread runtime calls but older Windows
// lacks: GetTickCount64 (before Vista), the vectored exception handlers (before XP) and
// TryEnterCriticalSection (the 9x line). A program that imports any of them does not load
// there at all. Defining the slots here keeps them out of the import table; each looks the
// real function up and falls back where it is missing. Linked into the executable itself,
// never through a library, so the slots are defined before the runtime's archive is searched.
#include <windows.h>

namespace {
FARPROC Kernel(const char* name) { return GetProcAddress(GetModuleHandleA("kernel32"), name); }

// No function-local statics: their guard would call back into the thread runtime.
template <class Fn>
Fn Resolve(Fn& slot, const char* name) {
    if (!slot) slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel(name)));
    return slot;
}

using TickCount64Fn = ULONGLONG(WINAPI*)();
using AddHandlerFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveHandlerFn = ULONG(WINAPI*)(PVOID);
using TryEnterFn = BOOL(WINAPI*)(LPCRITICAL_SECTION);
TickCount64Fn gTickCount64;
AddHandlerFn gAddHandler;
RemoveHandlerFn gRemoveHandler;
TryEnterFn gTryEnter;

volatile LONG gLastTick;  // GetTickCount at the last call, for counting wraps
volatile LONG gTickWraps;

ULONGLONG WINAPI TickCount64() {
    if (TickCount64Fn real = Resolve(gTickCount64, "GetTickCount64")) return real();
    DWORD now = GetTickCount();
    LONG last = gLastTick;
    if (now < static_cast<DWORD>(last)) {
        // Only the thread that moves the last value back counts the wrap.
        if (InterlockedCompareExchange(&gLastTick, static_cast<LONG>(now), last) == last)
            InterlockedIncrement(&gTickWraps);
    } else {
        InterlockedCompareExchange(&gLastTick, static_cast<LONG>(now), last);
    }
    return (static_cast<ULONGLONG>(static_cast<DWORD>(gTickWraps)) << 32) | now;
}

PVOID WINAPI AddHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
    AddHandlerFn real = Resolve(gAddHandler, "AddVectoredExceptionHandler");
    return real ? real(first, handler) : nullptr;
}

ULONG WINAPI RemoveHandler(PVOID handle) {
    RemoveHandlerFn real = Resolve(gRemoveHandler, "RemoveVectoredExceptionHandler");
    return real && handle ? real(handle) : 0;
}

// Without the real call the section counts as busy: a try never blocks.
BOOL WINAPI TryEnter(LPCRITICAL_SECTION section) {
    TryEnterFn real = Resolve(gTryEnter, "TryEnterCriticalSection");
    return real ? real(section) : FALSE;
}
}  // namespace

#ifdef _WIN64
#define IMPORT_SLOT(name, decorated) extern "C" void* imp_##name __asm__("__imp_" #name)
#else
#define IMPORT_SLOT(name, decorated) extern "C" void* imp_##name __asm__("__imp__" #name decorated)
#endif
IMPORT_SLOT(GetTickCount64, "@0");
IMPORT_SLOT(AddVectoredExceptionHandler, "@8");
IMPORT_SLOT(RemoveVectoredExceptionHandler, "@4");
IMPORT_SLOT(TryEnterCriticalSection, "@4");
void* imp_GetTickCount64 = reinterpret_cast<void*>(&TickCount64);
void* imp_AddVectoredExceptionHandler = reinterpret_cast<void*>(&AddHandler);
void* imp_RemoveVectoredExceptionHandler = reinterpret_cast<void*>(&RemoveHandler);
void* imp_TryEnterCriticalSection = reinterpret_cast<void*>(&TryEnter);
