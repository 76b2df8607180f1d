// Replacements for parts of the C++ runtime that a window program pays for in size without
// gaining anything. Linked into the executable itself (never through a library), so they are
// defined before the runtime's archive is searched and its versions are never pulled in.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace {
// What the library's checks throw (an index past a string's end and the like). Its own
// exception classes carry a reference-counted copy of the message, which links a second
// string implementation (about 40 KB); nothing here catches them by type, only as a whole.
class LibraryFault : public std::exception {
public:
    explicit LibraryFault(const char* what) : what_(what ? what : "library fault") {}
    const char* what() const noexcept override { return what_; }

private:
    const char* what_;  // the library passes texts of static lifetime
};
}  // namespace

// The default terminate handler prints the exception's demangled type, which links the whole
// demangler (about 50 KB) into a program without a console.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* what) { throw LibraryFault(what); }
void __throw_domain_error(const char* what) { throw LibraryFault(what); }
void __throw_invalid_argument(const char* what) { throw LibraryFault(what); }
void __throw_length_error(const char* what) { throw LibraryFault(what); }
void __throw_out_of_range(const char* what) { throw LibraryFault(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryFault(format); }
void __throw_runtime_error(const char* what) { throw LibraryFault(what); }
void __throw_range_error(const char* what) { throw LibraryFault(what); }
void __throw_overflow_error(const char* what) { throw LibraryFault(what); }
void __throw_underflow_error(const char* what) { throw LibraryFault(what); }
}  // namespace std

// Guards of function-local statics. The library's versions wait on a pthread condition, which
// links the whole pthread emulation (about 30 KB) for a handful of first calls. A static's
// initialiser never runs twice at once here, so the loser of a race only yields until the
// winner is done. Byte 0 of the guard is the ABI's "done" flag; the word at byte 4 is taken
// by the thread that initialises.
namespace {
volatile LONG* Busy(long long* guard) { return reinterpret_cast<volatile LONG*>(reinterpret_cast<char*>(guard) + 4); }
volatile char* Done(long long* guard) { return reinterpret_cast<volatile char*>(guard); }
}  // namespace

extern "C" int __cxa_guard_acquire(long long* guard) {
    for (;;) {
        if (*Done(guard)) {
            MemoryBarrier();
            return 0;
        }
        if (InterlockedCompareExchange(Busy(guard), 1, 0) == 0) {
            if (!*Done(guard)) return 1;
            InterlockedExchange(Busy(guard), 0);
            return 0;
        }
        Sleep(0);
    }
}

extern "C" void __cxa_guard_release(long long* guard) {
    MemoryBarrier();
    *Done(guard) = 1;
    InterlockedExchange(Busy(guard), 0);
}

extern "C" void __cxa_guard_abort(long long* guard) { InterlockedExchange(Busy(guard), 0); }

// The program's formats are the ones msvcrt.dll has read the same way since Windows 95 (%d,
// %ld, %lX, %s, %f with width and precision; no %ll or %z), so the system's printf does them
// instead of the runtime's own (gdtoa and its helpers, about 20 KB). C99's answer is kept: the
// text is always ended, and a cut text answers at least the buffer's size.
extern "C" int __mingw_vsnprintf(char* buffer, size_t size, const char* format, va_list args) {
    if (size == 0) return 0;
    int n = _vsnprintf(buffer, size, format, args);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        buffer[size - 1] = '\0';
        return n < 0 ? static_cast<int>(size) : n;
    }
    return n;
}

extern "C" int __mingw_vfprintf(FILE* file, const char* format, va_list args) { return __ms_vfprintf(file, format, args); }
