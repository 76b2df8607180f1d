// Replacements for parts of the C++ runtime that a window program pays for in size without
// gaining anything. Linked into the executable itself (never through a library), so they are
// defined before the runtime's archive is searched and its versions are never pulled in.
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
