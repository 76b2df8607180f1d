#include "procmgr/FileIcon.h"

#include <shellapi.h>

#include "resource.h"
#include "ui/Handles.h"

std::string CommandFilePath(const std::string& command) {
    if (command.find('"') == std::string::npos) return command;
    std::string rest = command.substr(1);
    return rest.substr(0, rest.find('"'));
}

void AddFileIcon(const std::string& command, HIMAGELIST images) {
    std::string path = CommandFilePath(command);
    // Icons from the shell and ExtractIconA are ours to destroy once the list has its copy;
    // LoadIconA's are shared and must not be.
    UniqueIcon owned;
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON)) owned.reset(info.hIcon);
    if (!owned) {
        HICON extracted = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 0);
        if (extracted != reinterpret_cast<HICON>(static_cast<INT_PTR>(-1))) owned.reset(extracted);
    }
    HICON icon = owned.get();
    if (!icon) icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM_FALLBACK));
    // A program without icon 155 (a test, a tool) still adds one icon, so indexes stay in step.
    if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    ImageList_ReplaceIcon(images, -1, icon);
}

void FileIconCache::Attach(HIMAGELIST images) {
    images_ = images;
    indexes_.clear();
}

int FileIconCache::IndexFor(const std::string& command) {
    auto known = indexes_.find(command);
    if (known != indexes_.end()) return known->second;
    if (!images_) return -1;
    AddFileIcon(command, images_);
    int index = ImageList_GetImageCount(images_) - 1;
    indexes_.emplace(command, index);
    return index;
}
