#include "hwinfo/WmiConnection.h"

#include <oleauto.h>

#include <vector>

#include "hwinfo/VariantText.h"
#include "ui/Bstr.h"

namespace {
// COM's apartment, security and proxy calls came with DCOM: Windows 95 without it lacks
// them, and naming them in the import table would keep the program from starting there.
template <class F>
F Ole32Function(const char* name) {
    HMODULE ole32 = GetModuleHandleA("ole32.dll");
    return ole32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(ole32, name))) : nullptr;
}
using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
using CoInitializeSecurityFunction = HRESULT(WINAPI*)(PSECURITY_DESCRIPTOR, LONG, SOLE_AUTHENTICATION_SERVICE*, void*,
                                                      DWORD, DWORD, void*, DWORD, void*);
using CoSetProxyBlanketFunction = HRESULT(WINAPI*)(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD,
                                                   RPC_AUTH_IDENTITY_HANDLE, DWORD);

// The property's text; "" when the object does not have it (Get fails).
std::string PropertyText(IWbemClassObject* object, const std::string& property) {
    // Property names are ASCII. A vector, not std::wstring, which would link a second string class.
    std::vector<wchar_t> name(property.begin(), property.end());
    name.push_back(L'\0');
    VARIANT value;
    VariantInit(&value);
    std::string text;
    if (SUCCEEDED(object->Get(name.data(), 0, &value, nullptr, nullptr))) text = VariantToText(value);
    VariantClear(&value);
    return text;
}
}  // namespace

WmiConnection::~WmiConnection() { ReleaseAll(); }

void WmiConnection::ReleaseAll() {
    object_.reset();
    enumerator_.reset();
    services_.reset();
    locator_.reset();
    if (comInitialized_) CoUninitialize();
    comInitialized_ = false;
}

bool WmiConnection::Connect() {
    ReleaseAll();
    auto initialize = Ole32Function<CoInitializeExFunction>("CoInitializeEx");
    auto security = Ole32Function<CoInitializeSecurityFunction>("CoInitializeSecurity");
    auto blanket = Ole32Function<CoSetProxyBlanketFunction>("CoSetProxyBlanket");
    HRESULT hr = initialize && security && blanket ? initialize(nullptr, COINIT_APARTMENTTHREADED) : E_NOTIMPL;
    // A thread that already runs in the other apartment can still use the service; it
    // just is not ours to uninitialize.
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
        LastError = "Failed to initialize COM library. Error code = 0x";
        return false;
    }
    comInitialized_ = SUCCEEDED(hr);

    // Security is set once per process: a second connection finds it set (RPC_E_TOO_LATE).
    hr = security(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                              nullptr, EOAC_NONE, nullptr);
    if (FAILED(hr) && hr != RPC_E_TOO_LATE) {
        LastError = "Failed to initialize security. Error code = 0x";
        ReleaseAll();
        return false;
    }
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator_.put())))) {
        locator_.forget();  // whatever a failed call left there is no reference
        LastError = "Failed to create IWbemLocator object.";
        ReleaseAll();
        return false;
    }
    Bstr space(L"\\\\.\\ROOT\\CIMV2");
    if (FAILED(locator_->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services_.put()))) {
        services_.forget();
        LastError = "Could not connect.";
        ReleaseAll();
        return false;
    }
    if (FAILED(blanket(services_.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        LastError = "Could not set proxy blanket.";
        ReleaseAll();
        return false;
    }
    return true;
}

bool WmiConnection::QueryProperty(const char* className, const char* property, std::vector<std::string>& values) {
    if (!services_) return false;
    object_.reset();
    enumerator_.reset();
    Bstr language(L"WQL");
    Bstr query(std::string("SELECT * FROM ") + className);
    if (FAILED(services_->ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                    nullptr, enumerator_.put()))) {
        enumerator_.forget();
        LastError = "Query for operating system name failed.";
        ReleaseAll();
        return false;
    }
    for (;;) {
        ULONG returned = 0;
        HRESULT hr = enumerator_->Next(WBEM_INFINITE, 1, object_.put(), &returned);
        if (FAILED(hr) || returned == 0) {
            object_.forget();  // nothing was returned
            break;
        }
        if (!object_) break;
        values.push_back(PropertyText(object_.get(), property));
    }
    object_.reset();
    return true;
}
