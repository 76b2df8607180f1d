#include "ui/FileIcon.h"

#include <shellapi.h>

#include "ui/Handles.h"

std::string CommandFilePath(const std::string& command) {
    if (command.find('"') == std::string::npos) return command;
    std::string rest = command.substr(1);
    return rest.substr(0, rest.find('"'));
}

int AddFileIcon(const std::string& command, HIMAGELIST images, int fallbackId) {
    std::string path = CommandFilePath(command);
    // Icons from the shell and ExtractIconA are ours to destroy once the list has its copy;
    // LoadIconA's are shared and must not be.
    UniqueIcon owned;
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON)) owned.reset(info.hIcon);
    if (!owned) {
        // ExtractIconA answers 1 for a file that is neither a program nor an icon file (and -1
        // on some systems): neither is an icon.
        HICON extracted = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 0);
        UINT_PTR answer = reinterpret_cast<UINT_PTR>(extracted);
        if (answer > 1 && answer != static_cast<UINT_PTR>(-1)) owned.reset(extracted);
    }
    int index = owned ? ImageList_ReplaceIcon(images, -1, owned.get()) : -1;
    if (index >= 0) return index;
    // No icon of its own, or one the list would not take: the fallback, so the row never shows
    // the icon added before it.
    HICON fallback = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(fallbackId));
    // A program without that icon (a test, a tool) still adds one icon.
    if (!fallback) fallback = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    return ImageList_ReplaceIcon(images, -1, fallback);
}

void FileIconCache::Attach(HIMAGELIST images, int fallbackId) {
    images_ = images;
    fallbackId_ = fallbackId;
    indexes_.clear();
}

int FileIconCache::IndexFor(const std::string& command) {
    auto known = indexes_.find(command);
    if (known != indexes_.end()) return known->second;
    if (!images_) return -1;
    int index = AddFileIcon(command, images_, fallbackId_);
    indexes_.emplace(command, index);
    return index;
}
