// One use of the management service: connect to "\\.\ROOT\CIMV2", run queries, read
// one property of every instance. Lives on one thread, for one task.
#pragma once
#include <windows.h>
#include <wbemidl.h>

#include <string>
#include <vector>

#include "ui/Handles.h"

class WmiConnection {
public:
    WmiConnection() = default;
    // Releases what it holds and balances its own COM initialization.
    ~WmiConnection();
    WmiConnection(const WmiConnection&) = delete;
    WmiConnection& operator=(const WmiConnection&) = delete;

    // Initializes COM on this thread and connects; on failure LastError says which step
    // failed and nothing is held.
    bool Connect();
    // Appends the text (VariantToText) of `property` of every instance of `className` to
    // `values`, in the service's order; a property that cannot be read appends "".
    // False only when the query itself fails (the connection is then given up).
    bool QueryProperty(const char* className, const char* property, std::vector<std::string>& values);

    // Text of the last failure, for diagnosis.
    std::string LastError;

private:
    void ReleaseAll();

    // Released in the reverse order of their making, before COM is uninitialized.
    UniqueCom<IWbemLocator> locator_;
    UniqueCom<IWbemServices> services_;
    UniqueCom<IEnumWbemClassObject> enumerator_;
    UniqueCom<IWbemClassObject> object_;
    bool comInitialized_ = false;  // this object owes one CoUninitialize
};
