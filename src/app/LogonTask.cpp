#include "app/LogonTask.h"

#include <oleauto.h>
#include <taskschd.h>

#include "ui/Bstr.h"
#include "ui/Handles.h"


const char kLogonTaskName[] = "Mnemora";

namespace {
LONG StatusOf(HRESULT hr) {
    if (SUCCEEDED(hr)) return ERROR_SUCCESS;
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<LONG>(hr);
}

bool IsNotFound(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// The scheduler's root folder, connected for one call on this thread.
class RootFolder {
public:
    RootFolder() {
        HRESULT hr = CoInitialize(nullptr);
        // A thread already in the other apartment can still use the scheduler; it just is not
        // ours to uninitialize.
        comInitialized_ = SUCCEEDED(hr);
        if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
            status_ = hr;
            return;
        }
        hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(service_.put()));
        if (FAILED(hr)) service_.forget();  // whatever a failed call left there is no reference
        if (SUCCEEDED(hr)) {
            VARIANT local;
            VariantInit(&local);
            hr = service_->Connect(local, local, local, local);
        }
        if (SUCCEEDED(hr)) {
            Bstr root("\\");
            hr = service_->GetFolder(root.get(), folder_.put());
            if (FAILED(hr)) folder_.forget();
        }
        status_ = hr;
    }
    ~RootFolder() {
        folder_.reset();
        service_.reset();
        if (comInitialized_) CoUninitialize();
    }
    RootFolder(const RootFolder&) = delete;
    RootFolder& operator=(const RootFolder&) = delete;

    HRESULT Status() const { return status_; }
    ITaskFolder* operator->() const { return folder_.get(); }

    // S_OK when the task exists.
    HRESULT FindTask() const {
        Bstr name(kLogonTaskName);
        UniqueCom<IRegisteredTask> task;
        HRESULT hr = folder_->GetTask(name.get(), task.put());
        if (FAILED(hr)) task.forget();
        return hr;
    }

private:
    UniqueCom<ITaskService> service_;
    UniqueCom<ITaskFolder> folder_;
    HRESULT status_ = E_FAIL;
    bool comInitialized_ = false;  // this object owes one CoUninitialize
};

// `text` as XML element content.
std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}
}  // namespace

std::string LogonTaskXml(const std::string& exePath, const std::string& userId) {
    const std::string user = XmlText(userId);
    // Priority 4 is the normal class: the scheduler's default of 7 would start the program
    // below normal, which a program started from the Run key never was.
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <Triggers>\n"
           "    <LogonTrigger>\n"
           "      <Enabled>true</Enabled>\n"
           "      <UserId>" + user + "</UserId>\n"
           "    </LogonTrigger>\n"
           "  </Triggers>\n"
           "  <Principals>\n"
           "    <Principal id=\"Author\">\n"
           "      <UserId>" + user + "</UserId>\n"
           "      <LogonType>InteractiveToken</LogonType>\n"
           "      <RunLevel>HighestAvailable</RunLevel>\n"
           "    </Principal>\n"
           "  </Principals>\n"
           "  <Settings>\n"
           "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
           "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
           "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
           "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n"
           "    <Priority>4</Priority>\n"
           "  </Settings>\n"
           "  <Actions Context=\"Author\">\n"
           "    <Exec>\n"
           "      <Command>" + XmlText(exePath) + "</Command>\n"
           "      <Arguments>-PowerOn</Arguments>\n"
           "    </Exec>\n"
           "  </Actions>\n"
           "</Task>\n";
}

std::string CurrentUserId() {
    char user[257] = {};
    DWORD size = sizeof user;
    if (!GetUserNameA(user, &size)) return std::string();
    // The log-on domain; a local account's is the computer.
    char domain[256] = {};
    DWORD length = GetEnvironmentVariableA("USERDOMAIN", domain, sizeof domain);
    if (length == 0 || length >= sizeof domain) {
        DWORD computer = sizeof domain;
        if (!GetComputerNameA(domain, &computer)) return user;
    }
    return std::string(domain) + "\\" + user;
}

LONG RegisterLogonTask(const std::string& exePath) {
    if (exePath.empty()) return ERROR_INVALID_PARAMETER;
    RootFolder root;
    if (FAILED(root.Status())) return StatusOf(root.Status());
    Bstr name(kLogonTaskName);
    Bstr xml(LogonTaskXml(exePath, CurrentUserId()));
    VARIANT none;
    VariantInit(&none);
    UniqueCom<IRegisteredTask> task;
    HRESULT hr = root->RegisterTask(name.get(), xml.get(), TASK_CREATE_OR_UPDATE, none, none,
                                    TASK_LOGON_INTERACTIVE_TOKEN, none, task.put());
    if (FAILED(hr)) task.forget();
    return StatusOf(hr);
}

bool LogonTaskExists() {
    RootFolder root;
    return SUCCEEDED(root.Status()) && SUCCEEDED(root.FindTask());
}

LONG DeleteLogonTask() {
    RootFolder root;
    if (FAILED(root.Status())) return StatusOf(root.Status());
    // Nothing to delete is no refusal: a user without the right to delete may save with the
    // box off.
    HRESULT found = root.FindTask();
    if (IsNotFound(found)) return ERROR_SUCCESS;
    Bstr name(kLogonTaskName);
    HRESULT hr = root->DeleteTask(name.get(), 0);
    return IsNotFound(hr) ? ERROR_SUCCESS : StatusOf(hr);
}
