// The list view of another process (the program's tool windows), read and clicked from a
// test: list-view messages carry pointers, so their structures live in memory allocated
// inside that process.
#pragma once
#include <windows.h>

#include <string>

namespace driver {

class RemoteList {
public:
    explicit RemoteList(HWND list);
    ~RemoteList();
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    // False when the other process's memory could not be reached.
    bool Ready() const { return memory_ != nullptr; }
    int Count() const;
    std::string Text(int row, int column) const;
    int Image(int row) const;
    bool Focused(int row) const;
    // First row with the focus, -1 when none.
    int FocusedRow() const;
    // First row whose `column` reads `text` exactly, -1 when none.
    int Find(const std::string& text, int column = 0) const;
    // First row whose `column` contains `part` in any letter case, -1 when none.
    int FindContaining(const std::string& part, int column = 0) const;
    // A left click in the middle of the row's first cell, as the mouse gives it.
    void Click(int row) const;
    // Takes the focus and the selection from every row.
    void ClearChoice() const;

private:
    static const int kSize = 8192;
    void Write(const void* data, size_t size) const;
    void Read(void* data, size_t size, size_t offset = 0) const;

    HWND list_;
    HANDLE process_ = nullptr;
    char* memory_ = nullptr;
};

}  // namespace driver
