// Paths of the running executable and of the files beside it.
#pragma once
#include <string>

// Full path of the running executable (no length limit of its own).
std::string ExecutablePath();
// Folder of the running executable, without a trailing backslash.
std::string ExecutableFolder();
// Full path of `name` in the folder of the running executable ("%s\%s").
std::string ProgramFilePath(const std::string& name);
