// The program's log-on task in the Task Scheduler's root folder: its start with Windows from
// Vista on. Reached through the scheduler's COM interface, which exists from Vista on only;
// elsewhere every call fails without harm. Statuses are Win32 error codes (0 for success).
#pragma once
#include <windows.h>

#include <string>

// The task's name, "Mnemora".
extern const char kLogonTaskName[];

// The task's definition: at the log-on of `userId` ("DOMAIN\user") start `exePath` with
// " -PowerOn", with the highest rights the user has, at normal priority, on battery too,
// without a time limit. The texts are escaped for XML.
std::string LogonTaskXml(const std::string& exePath, const std::string& userId);
// "DOMAIN\user" of the user running this process.
std::string CurrentUserId();

// Creates or replaces the task for `exePath`; ERROR_ACCESS_DENIED when the scheduler refuses
// (a user without administrator rights), ERROR_INVALID_PARAMETER for an empty path.
LONG RegisterLogonTask(const std::string& exePath);
// True when the task exists.
bool LogonTaskExists();
// Deletes the task; a task that is not there counts as deleted.
LONG DeleteLogonTask();
