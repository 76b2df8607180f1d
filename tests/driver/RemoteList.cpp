#include "driver/RemoteList.h"

#include <commctrl.h>

namespace driver {

namespace {
std::string Upper(std::string s) {
    if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
    return s;
}
}  // namespace

RemoteList::RemoteList(HWND list) : list_(list) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) memory_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
}

RemoteList::~RemoteList() {
    if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

void RemoteList::Write(const void* data, size_t size) const {
    WriteProcessMemory(process_, memory_, data, size, nullptr);
}

void RemoteList::Read(void* data, size_t size, size_t offset) const {
    ReadProcessMemory(process_, memory_ + offset, data, size, nullptr);
}

int RemoteList::Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::string RemoteList::Text(int row, int column) const {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = memory_ + sizeof item;
    item.cchTextMax = kSize - sizeof item;
    Write(&item, sizeof item);
    int length = static_cast<int>(SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(memory_)));
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) Read(&text[0], text.size(), sizeof item);
    return text;
}

int RemoteList::Image(int row) const {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    Write(&item, sizeof item);
    SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory_));
    Read(&item, sizeof item);
    return item.iImage;
}

bool RemoteList::Focused(int row) const {
    return (SendMessageA(list_, LVM_GETITEMSTATE, row, LVIS_FOCUSED) & LVIS_FOCUSED) != 0;
}

int RemoteList::FocusedRow() const {
    return static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int RemoteList::Find(const std::string& text, int column) const {
    for (int row = 0, n = Count(); row < n; ++row)
        if (Text(row, column) == text) return row;
    return -1;
}

int RemoteList::FindContaining(const std::string& part, int column) const {
    std::string wanted = Upper(part);
    for (int row = 0, n = Count(); row < n; ++row)
        if (Upper(Text(row, column)).find(wanted) != std::string::npos) return row;
    return -1;
}

void RemoteList::Click(int row) const {
    RECT rect{};
    rect.left = LVIR_LABEL;
    Write(&rect, sizeof rect);
    SendMessageA(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(memory_));
    Read(&rect, sizeof rect);
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list_, WM_LBUTTONUP, 0, at);
}

void RemoteList::ClearChoice() const {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    Write(&item, sizeof item);
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(memory_));
}

}  // namespace driver
